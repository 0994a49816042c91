#include "VorbisEncode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace tav::vorbis {
namespace {

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> Encode(int channels, long rate, const std::vector<float>& interleaved, float quality) {
  std::vector<uint8_t> out;
  if (channels < 1 || rate < 1) return out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);  // a fixed serial number: the same input gives the same bytes

  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) Append(out, page);

  const size_t frames = interleaved.size() / size_t(channels);
  constexpr size_t kStep = 1024;
  for (size_t at = 0;; at += kStep) {
    const size_t count = at < frames ? std::min(kStep, frames - at) : 0;
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, int(count));
      for (size_t f = 0; f < count; ++f)
        for (int c = 0; c < channels; ++c) buffer[c][f] = interleaved[(at + f) * size_t(channels) + size_t(c)];
    }
    vorbis_analysis_wrote(&dsp, int(count));  // 0: the end of the stream
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) Append(out, page);
      }
    }
    if (count == 0) break;
  }
  while (ogg_stream_flush(&stream, &page) != 0) Append(out, page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace tav::vorbis
