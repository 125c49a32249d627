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

// A small control's finished picture, kept as plain pixels (no GDI object) with what it was
// drawn from: its look and the background it was drawn over.
struct KeptPicture {
    std::string Shown;                  // the look's bytes; empty when nothing is kept
    std::vector<std::uint32_t> Under;   // the background it was drawn over
    std::vector<std::uint32_t> Picture; // the finished picture
    // plus::CallsFailed() when the drawing began. The picture holds only while no call has
    // failed since: short of handles, this platform's GDI+ can leave out a part (a text, a
    // picture) and still answer Ok, so whatever was kept around a failure is drawn again.
    int FailedBefore = 0;
    bool Keyed = false; // some pixel of the picture has the key colour
};

} // namespace skin
