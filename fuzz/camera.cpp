// Fuzz target: a camera record through Load, then a path and quads made from the input's own
// floats (NaN, infinities, 1e30 included) through AddMove, StartMove, Move and Transform.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"

namespace {

struct Reader {
    const uint8_t* p;
    size_t left;
    template <typename T>
    T Next() {
        T v{};
        const size_t n = left < sizeof(T) ? left : sizeof(T);
        std::memcpy(&v, p, n);
        p += n, left -= n;
        return v;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qw::CDIBCamera camera;
    if (!camera.Load(qw::ByteSpan(data, size))) return 0;
    Reader in{data + qw::CDIBCamera::kRecordSize, size - qw::CDIBCamera::kRecordSize};
    const int points = in.Next<uint8_t>() % 20;
    for (int i = 0; i < points; ++i) {
        const float x = in.Next<float>(), y = in.Next<float>(), z = in.Next<float>();
        camera.AddMove(x, y, z, in.Next<float>());
    }
    camera.SetLayerParam(in.Next<uint8_t>() & 1, in.Next<uint8_t>() & 1, in.Next<float>(),
                         in.Next<float>());
    camera.StartMove(in.Next<int32_t>());
    qw::VertexQuad quads[4];
    for (int tick = 0; tick < 4; ++tick) {
        camera.Move(in.Next<uint8_t>() & 1, in.Next<int16_t>());
        for (qw::VertexQuad& q : quads)
            for (qw::QuadCorner& c : q.corner)
                c = {in.Next<int16_t>(), in.Next<int16_t>(), in.Next<int16_t>()};
        float depth[4];
        camera.Transform(quads, 4, depth);
        volatile int sink = 0;
        for (const qw::VertexQuad& q : quads)
            sink = sink + q.corner[3].x;
    }
    return 0;
}
