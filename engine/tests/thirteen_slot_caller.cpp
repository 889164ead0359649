// A caller built before the noise estimate's two operations were added: its
// own copy of the interface has thirteen slots. Built as a separate module,
// without the current header, so that the test loads the shipped library the
// way such a caller does and the two copies of the interface never meet in
// one program.
#include <dlfcn.h>

#include <cstdint>

class IVelquor {
public:
    virtual int32_t Init(int32_t sampleRateHz) = 0;
    virtual int32_t Process(const int16_t* input, int16_t* output, int32_t count) = 0;
    virtual void Release() = 0;
    virtual int32_t GetNoiseSuppression() = 0;
    virtual int32_t GetGainMaxDb() = 0;
    virtual int32_t GetSpectrumCorrection() = 0;
    virtual int32_t GetWhiteNoise() = 0;
    virtual int32_t GetToneCleaning() = 0;
    virtual int32_t SetNoiseSuppression(int32_t on) = 0;
    virtual int32_t SetGainMaxDb(int32_t db) = 0;
    virtual int32_t SetSpectrumCorrection(int32_t on) = 0;
    virtual int32_t SetWhiteNoise(int32_t on) = 0;
    virtual int32_t SetToneCleaning(int32_t on) = 0;

protected:
    ~IVelquor() = default;
};

// Loads the library at `libraryPath`, reads the defaults of its five getters
// into replies[0..4], sets tone cleaning on and the floor depth to 30 dB
// (clamped) with replies[5..6] the setters' answers, then cleans `count`
// samples at 16 kHz in calls of 1024. 0 on success.
extern "C" __attribute__((visibility("default"))) int CleanThroughThirteenSlots(
    const char* libraryPath, const int16_t* input, int16_t* output, int32_t count,
    int32_t* replies) {
    void* library = dlopen(libraryPath, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return 1;
    }
    using Create = IVelquor* (*)();
    const auto create = reinterpret_cast<Create>(dlsym(library, "CreateVelquor"));
    IVelquor* engine = create != nullptr ? create() : nullptr;
    int result = engine != nullptr ? 0 : 2;
    if (engine != nullptr) {
        replies[0] = engine->GetNoiseSuppression();
        replies[1] = engine->GetGainMaxDb();
        replies[2] = engine->GetSpectrumCorrection();
        replies[3] = engine->GetWhiteNoise();
        replies[4] = engine->GetToneCleaning();
        replies[5] = engine->SetToneCleaning(1);
        replies[6] = engine->SetGainMaxDb(30);
        result = engine->Init(16000) == 0 ? 0 : 3;
        for (int32_t a = 0; result == 0 && a + 1024 <= count; a += 1024) {
            result = engine->Process(input + a, output + a, 1024) == 0 ? 0 : 4;
        }
        engine->Release();
    }
    dlclose(library);
    return result;
}
