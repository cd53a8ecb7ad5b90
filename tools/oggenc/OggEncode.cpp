#include "OggEncode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace qw::oggenc {

namespace {

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<uint8_t> EncodeVorbis(const std::vector<int16_t>& samples, int channels, int rate,
                                  float quality, int serial) {
    std::vector<uint8_t> out;
    if (channels < 1 || channels > 8) return out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    ogg_packet id, comm, code;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comm, &code);
    ogg_stream_packetin(&stream, &id);
    ogg_stream_packetin(&stream, &comm);
    ogg_stream_packetin(&stream, &code);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        Append(out, page);

    const size_t frames = samples.size() / static_cast<size_t>(channels);
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min<size_t>(4096, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * static_cast<size_t>(channels) +
                                           static_cast<size_t>(c)] /
                                   32768.0f;
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    Append(out, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (n == 0 && !eos) {
            while (ogg_stream_flush(&stream, &page)) {
                Append(out, page);
                if (ogg_page_eos(&page)) eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace qw::oggenc
