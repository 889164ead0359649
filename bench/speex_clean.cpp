// speex_clean: a SpeexDSP-based noise cleaner for cli_bench, as such tools are
// usually written: libsndfile in, the preprocessor's noise suppression on
// 20 ms frames of each channel, libsndfile out, streaming in 4096-frame
// blocks. 16-bit output; same rate and channels.
//
//   speex_clean INPUT OUTPUT
#include <sndfile.h>
#include <speex/speex_preprocess.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: speex_clean INPUT OUTPUT\n");
        return 2;
    }
    SF_INFO info{};
    SNDFILE* in = sf_open(argv[1], SFM_READ, &info);
    if (in == nullptr) {
        std::fprintf(stderr, "speex_clean: %s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    SF_INFO outInfo = info;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(argv[2], SFM_WRITE, &outInfo);
    if (out == nullptr) {
        std::fprintf(stderr, "speex_clean: %s: %s\n", argv[2], sf_strerror(nullptr));
        return 1;
    }
    const int channels = info.channels;
    const int frameSamples = info.samplerate / 50;
    std::vector<SpeexPreprocessState*> states;
    for (int c = 0; c < channels; ++c) {
        SpeexPreprocessState* state = speex_preprocess_state_init(frameSamples, info.samplerate);
        int on = 1;
        speex_preprocess_ctl(state, SPEEX_PREPROCESS_SET_DENOISE, &on);
        states.push_back(state);
    }
    const sf_count_t blockFrames = static_cast<sf_count_t>(frameSamples) * 200;
    std::vector<short> block(static_cast<size_t>(blockFrames * channels));
    std::vector<short> channel(static_cast<size_t>(blockFrames));
    sf_count_t got = 0;
    while ((got = sf_readf_short(in, block.data(), blockFrames)) > 0) {
        // A short last block is padded with silence to whole frames.
        const sf_count_t whole = (got + frameSamples - 1) / frameSamples * frameSamples;
        for (int c = 0; c < channels; ++c) {
            for (sf_count_t i = 0; i < whole; ++i) {
                channel[static_cast<size_t>(i)] =
                    i < got ? block[static_cast<size_t>(i * channels + c)] : 0;
            }
            for (sf_count_t f = 0; f < whole; f += frameSamples) {
                speex_preprocess_run(states[static_cast<size_t>(c)], channel.data() + f);
            }
            for (sf_count_t i = 0; i < got; ++i) {
                block[static_cast<size_t>(i * channels + c)] = channel[static_cast<size_t>(i)];
            }
        }
        if (sf_writef_short(out, block.data(), got) != got) {
            std::fprintf(stderr, "speex_clean: %s: %s\n", argv[2], sf_strerror(out));
            return 1;
        }
    }
    for (SpeexPreprocessState* state : states) {
        speex_preprocess_state_destroy(state);
    }
    sf_close(in);
    return sf_close(out) == 0 ? 0 : 1;
}
