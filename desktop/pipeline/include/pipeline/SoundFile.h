// The document's one sound file: a WAV recording opened through libsndfile and
// held as interleaved 16-bit samples, in memory or, when the decoded samples
// exceed the memory budget, through a mapped temporary working copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pipeline/SndfileTypes.h"

namespace platform {
class ManualResetEvent;
class MessageTarget;
}  // namespace platform
class CSMCore;

// Result of CSoundFile::Open. Values 1..10 also travel as the error kind of
// WM_JOB_ERROR, so the numbers are fixed.
enum class SoundFileResult : int32_t {
    Ok = 0,
    WrongFormat = 1,
    TempFileDenied = 2,
    NoDiskSpace = 3,
    // Missing, not readable, or no regular file at all (a named pipe would
    // block the open for good).
    Unreadable = 4,
    OpenError = 10,
    Cancelled = 999,
};

// How the bytes of a mapped file decode into samples.
enum class LawKind : int32_t { Linear = 0, ALaw = 1, MuLaw = 2 };

class CSoundFile {
public:
    // Samples read per libsndfile call while loading into memory.
    static constexpr uint32_t kBlockSamples = 32768;
    // Name of the file mapping; kept as data, nothing on Linux looks it up.
    static constexpr const char* kMappingName = "NCMAP";

    CSoundFile();
    // Closes the recording and deletes its working copy.
    ~CSoundFile();
    CSoundFile(const CSoundFile&) = delete;
    CSoundFile& operator=(const CSoundFile&) = delete;

    // Opens and checks the recording (WAV or WAVEX; 16-bit PCM, A-law or
    // mu-law; 8000 or 16000 Hz; one or two channels) and reads every sample, or
    // sets up mapped mode with an empty working copy that the loading pass
    // fills (WriteWorkingCopy, then CompleteWorkingCopy). Posts WM_LOADING_PROGRESS (block index,
    // 0) to `progress` when it is not null; polls `cancel` between blocks (reset when found set).
    // Call Close first. The recording itself is only ever read.
    SoundFileResult Open(const std::string& path, platform::MessageTarget* progress,
                         platform::ManualResetEvent* cancel);
    // Closes the libsndfile handles, frees the samples and unmaps the file. The
    // working-copy path and the mapped flag stay (the working copy outlives it).
    void Close();
    // Deletes the working copy, if any, and forgets its path. Errors are ignored.
    void DeleteWorkingCopy();

    // Memory mode: the interleaved samples (frames x channels). Mapped mode: the
    // current window of the mapping (raw bytes, header included); callers use
    // GetSample/SetSample there.
    int16_t* GetSampleBuffer();
    // One sample; 0 outside the recording. Channel 1 of a mono file, and any
    // channel other than 0 and 1, reads channel 0. `writeAccess` chooses the
    // access of a window that has to be mapped to reach the sample.
    // Inline: the cleaning job and the waveform summary call it for every sample.
    int16_t GetSample(int32_t channel, uint32_t frame, bool writeAccess = false) {
        if (!m_mapped) {
            if (!m_samples || frame >= m_frames) {
                return 0;
            }
            return m_samples[uint64_t{frame} * m_channels + ChannelIndex(channel)];
        }
        return GetMappedSample(channel, frame, writeAccess);
    }
    // Mapped mode on the working copy only: stores one sample. Writes outside
    // the data chunk, on the read-only source, and in memory mode are dropped
    // (memory-mode callers write through GetSampleBuffer).
    void SetSample(int32_t channel, uint32_t frame, int16_t value);
    // Mapped mode: copies `count` frames from `firstFrame` into `destination`
    // (interleaved, `Channels()` samples per frame). False when the destination
    // is null, the file is not mapped, the range passes the last frame (the
    // frames up to the last one are still copied), or the mapped file has been
    // cut short under the mapping (the destination is then partly written).
    bool ReadFrames(int16_t* destination, uint32_t firstFrame, uint32_t count,
                    bool writeAccess = false);
    // Mapped mode: false once the mapped file is shorter than when it was
    // mapped (its samples can no longer all be read).
    bool MappedFileIsWhole() const;

    // Closes the source handle and maps `path` (window 0) with `mappingName`.
    // 0 on success, else an errno value.
    int MapFile(const std::string& path, const std::string& mappingName, bool writable);
    // Creates the working copy (WAV, 16-bit PCM, the source's rate and
    // channels) at `path` through libsndfile and records the path; an earlier
    // recording's working copy still on record is deleted. False when the path
    // is shorter than two characters or the file cannot be created.
    bool OpenWorkingCopy(const std::string& path);
    // After every frame has been written into the working copy: completes its
    // header and maps it read/write as the sample source. False when it cannot
    // be mapped or holds too few samples.
    bool SwitchToWorkingCopy();
    // While the working copy is open for writing: writes `count` interleaved
    // frames at `firstFrame`. False when the write falls short. With no working
    // copy open nothing is written and the answer is true: CompleteWorkingCopy
    // refuses that case.
    bool WriteWorkingCopy(const int16_t* frames, uint32_t firstFrame, uint32_t count);
    // The end of the loading pass in mapped mode. Ok once the working copy is
    // the sample source; TempFileDenied when none is open or it cannot be
    // switched to; OpenError when the recording was cut short meanwhile (the
    // file is then closed and the working copy deleted: a window past the new
    // end reads as zeros, which the copy would hold as if they were recorded).
    SoundFileResult CompleteWorkingCopy();
    const std::string& WorkingCopyPath() const { return m_workingCopyPath; }
    const std::string& SourcePath() const { return m_sourcePath; }
    bool IsMapped() const { return m_mapped; }
    // True once mapped mode works on the (writable) working copy.
    bool IsOnWorkingCopy() const { return m_mapped && m_mappedWritable; }
    LawKind Law() const { return m_law; }

    uint32_t Frames() const { return m_frames; }
    uint32_t Channels() const { return m_channels; }
    uint16_t ChannelCount() const { return m_channelCount; }
    uint32_t SampleRate() const { return m_sampleRate; }
    uint32_t SampleCount() const { return m_sampleCount; }
    uint8_t BitsPerSample() const { return m_bitsPerSample; }
    // The SF_INFO of the source as libsndfile reported it; null when closed.
    const SF_INFO* Info() const { return m_info.get(); }

private:
    SoundFileResult ReadIntoMemory(platform::MessageTarget* progress,
                                   platform::ManualResetEvent* cancel);
    SoundFileResult SetUpMappedMode();
    void ClearMapping();
    bool LocateDataChunk(const std::string& path);
    // Pointer to byte `offset` of the mapped file, moving the window when
    // needed; null when the window cannot be mapped.
    uint8_t* MappedByte(uint64_t offset, bool writeAccess);
    // Byte offset in the mapped file of sample `frame`/`channel`; false when
    // the sample lies outside the data chunk.
    bool SampleOffset(int32_t channel, uint32_t frame, uint64_t& offset) const;
    int16_t DecodeAt(uint64_t offset, bool writeAccess);
    // ReadFrames in one copy where the frames allow it; false otherwise.
    bool CopyMappedFrames(int16_t* destination, uint32_t firstFrame, uint32_t count,
                          bool writeAccess);
    int16_t GetMappedSample(int32_t channel, uint32_t frame, bool writeAccess);
    int32_t ChannelIndex(int32_t channel) const {
        return (m_channels == 2 && channel == 1) ? 1 : 0;
    }

    std::unique_ptr<SF_INFO> m_info;
    SNDFILE* m_source = nullptr;
    std::unique_ptr<int16_t[]> m_samples;
    uint32_t m_sampleCount = 0;
    uint32_t m_frames = 0;
    uint32_t m_channels = 0;
    SNDFILE* m_workingCopy = nullptr;
    std::string m_workingCopyPath;
    int m_workingCopyTicket = -1;  // in the table of files removed on interruption
    int m_workingCopyLock = -1;    // holds WorkingCopyLock's flock while the copy exists
    bool m_mapped = false;
    bool m_mappedWritable = false;
    std::unique_ptr<CSMCore> m_core;
    uint8_t* m_view = nullptr;
    uint32_t m_windowIndex = 0;
    uint32_t m_windowCount = 0;
    uint64_t m_lastWindowBytes = 0;
    uint64_t m_fileBytes = 0;
    uint64_t m_dataOffset = 0;  // first byte of the "data" chunk's samples
    uint64_t m_dataBytes = 0;   // its length, cut to what the file holds
    bool m_bigEndian = false;   // RIFX source: 16-bit samples stored big-endian
    LawKind m_law = LawKind::Linear;
    std::string m_sourcePath;
    uint32_t m_sampleRate = 0;
    uint16_t m_channelCount = 0;
    uint8_t m_bitsPerSample = 0;
};

// Bytes of the header libsndfile writes for a 16-bit PCM WAV file.
inline constexpr uint64_t kWavHeaderBytes = 44;

// The recordings Open accepts: WAV or WAVEX; 16-bit PCM, A-law or mu-law;
// 8000 or 16000 Hz; one or two channels; no longer than DecodedCopyFitsWav
// allows, so that memory and mapped mode take the same recordings.
bool IsAcceptedSoundFormat(const SF_INFO& info);
// True when the recording's samples as 16-bit PCM fit in one WAV file (its
// 32-bit sizes): the working copy of mapped mode and every cleaned output are
// such files. About 2^31 samples: 37 hours of 16 kHz mono.
bool DecodedCopyFitsWav(const SF_INFO& info);

// G.711 expansion of one stored byte, as the mapped mode decodes it: the same
// values libsndfile gives in memory mode, for every byte.
int16_t ALawToLinear(uint8_t byte);
int16_t MuLawToLinear(uint8_t byte);
