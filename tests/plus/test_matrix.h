// A GDI+ matrix held in a wrapper: the library takes matrices as any wrapper whose handle is a
// matrix, and the tests need one for transforms.
#pragma once

#include "plus/plus_internal.h"

namespace plus_tests {

class TestMatrix : public plus::PlusObject {
public:
    TestMatrix() = default;
    TestMatrix(TestMatrix&& other) noexcept { MoveFrom(other); }
    ~TestMatrix() override { DeleteMatrix(); }

    void AttachNative(plus::NativeHandle h) override { native_ = h; }

    bool Create(float m11 = 1, float m12 = 0, float m21 = 0, float m22 = 1, float dx = 0,
                float dy = 0) {
        return plus::CreateNative<Gdiplus::GpMatrix>(*this, [&](Gdiplus::GpMatrix** out) {
            return plus::gp::GdipCreateMatrix2(m11, m12, m21, m22, dx, dy, out);
        });
    }
    bool DeleteMatrix() {
        return plus::ReleaseNative(*this, native_, [&] {
            return plus::gp::GdipDeleteMatrix(static_cast<Gdiplus::GpMatrix*>(native_));
        });
    }
    // m11, m12, m21, m22, dx, dy
    std::vector<float> Elements() const {
        std::vector<float> e(6, 0.0f);
        plus::gp::GdipGetMatrixElements(static_cast<Gdiplus::GpMatrix*>(native_), e.data());
        return e;
    }
    void* Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return DeleteMatrix(); }

private:
    void* native_ = nullptr;
};

} // namespace plus_tests
