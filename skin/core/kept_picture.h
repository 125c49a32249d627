// A small control's last picture and what it was drawn from: plain types held by the records
// of the families that keep one (the keeping is in skin/controls/framework.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

// What a painter reads besides the background, as bytes (sizes, states, colours, texts): two
// looks are the same picture when their bytes are.
struct Look {
    std::string bytes;
    Look& operator<<(std::int64_t value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    Look& operator<<(const std::string& text) {
        *this << static_cast<std::int64_t>(text.size());
        bytes += text;
        return *this;
    }
};

// A small control's finished pictures, kept as plain pixels (no GDI object) with what each was
// drawn from: its look and the background it was drawn over. A control shows a few looks in
// turn (normal, hot, focused, pressed): each is kept, so the pointer or the focus coming and
// going puts back a picture instead of drawing it again.
struct KeptPicture {
    struct Entry {
        std::string Shown;                  // the look's bytes; empty when nothing is kept
        std::vector<std::uint32_t> Under;   // the background it was drawn over
        std::vector<std::uint32_t> Picture; // the finished picture
        // plus::CallsFailed() when the drawing began. The picture holds only while no call has
        // failed since: short of handles, this platform's GDI+ can leave out a part (a text, a
        // picture) and still answer Ok, so whatever was kept around a failure is drawn again.
        int FailedBefore = 0;
        bool Keyed = false;     // some pixel of the picture has the key colour
        // The smallest rectangle holding every key-colour pixel, when every pixel inside it
        // has the key colour (a child's hole); empty otherwise.
        int KeyLeft = 0, KeyTop = 0, KeyRight = 0, KeyBottom = 0;
        std::uint64_t Used = 0; // when it was last put back or drawn (the least recent goes)
    };
    // Looks kept at most; a control larger than kManyLooksPixels keeps only its last look.
    static constexpr std::size_t kLooks = 4;
    static constexpr std::size_t kManyLooksPixels = 64 * 1024;
    std::vector<Entry> Entries;
    std::size_t Current = 0; // the entry the last PutKeptPicture put back or opened
    std::uint64_t Clock = 0;
};

} // namespace skin
