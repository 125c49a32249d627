// Holds the process's GDI handles so that the code under test finds none left, as a program
// near its handle quota does.
#pragma once
#include <windows.h>

#include <vector>

namespace testing_support {

class GdiHog {
public:
    GdiHog() = default;
    ~GdiHog() { FreeAll(); }
    GdiHog(const GdiHog&) = delete;
    GdiHog& operator=(const GdiHog&) = delete;

    // Makes 1 x 1 bitmaps until the system refuses one (at most `limit`); how many it holds.
    std::size_t TakeAll(std::size_t limit = 200000) {
        while (held_.size() < limit) {
            HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
            if (!bitmap) break;
            held_.push_back(bitmap);
        }
        return held_.size();
    }
    // Gives back the `count` newest handles (all when fewer are held).
    void Free(std::size_t count) {
        for (; count > 0 && !held_.empty(); --count) {
            DeleteObject(held_.back());
            held_.pop_back();
        }
    }
    void FreeAll() { Free(held_.size()); }
    std::size_t Held() const { return held_.size(); }

private:
    std::vector<HBITMAP> held_;
};

} // namespace testing_support
