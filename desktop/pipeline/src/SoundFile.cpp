#include "pipeline/SoundFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>

#include "pipeline/JobProtocol.h"
#include "pipeline/MappedRead.h"
#include "pipeline/PendingFiles.h"
#include "pipeline/SharedMemory.h"
#include "pipeline/WorkingCopyLock.h"
#include "platform/Files.h"
#include "platform/ManualResetEvent.h"
#include "platform/MessageTarget.h"

namespace {

constexpr int kFormatMajorMask = 0x0FFF0000;
constexpr int kFormatSubtypeMask = 0x0000FFFF;
constexpr uint32_t kProgressEveryBlockLimit = 1000;
constexpr uint64_t kWindowBytes = CSMCore::kWindowBytes;
constexpr uint32_t kWindowShift = 27;
static_assert((uint64_t{1} << kWindowShift) == kWindowBytes);
// The working copy's header as libsndfile writes it for 16-bit PCM.
constexpr uint64_t kWorkingCopyHeaderBytes = kWavHeaderBytes;

constexpr int16_t ExpandALaw(uint8_t byte) {
    const int a = byte ^ 0x55;
    int t = (a & 0x0F) << 4;
    const int segment = (a & 0x70) >> 4;
    if (segment == 0) {
        t += 8;
    } else {
        t = (t + 0x108) << (segment - 1);
    }
    return static_cast<int16_t>((a & 0x80) ? t : -t);
}

// Byte 0x7F ("negative zero") gives 0, as libsndfile decodes it: mapped and
// memory mode must clean a recording to the same bytes.
constexpr int16_t ExpandMuLaw(uint8_t byte) {
    const int u = ~byte & 0xFF;
    const int t = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
    return static_cast<int16_t>((u & 0x80) ? (0x84 - t) : (t - 0x84));
}

template <int16_t (*Expand)(uint8_t)>
constexpr std::array<int16_t, 256> MakeTable() {
    std::array<int16_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = Expand(static_cast<uint8_t>(i));
    }
    return table;
}

constexpr std::array<int16_t, 256> kALawTable = MakeTable<ExpandALaw>();
constexpr std::array<int16_t, 256> kMuLawTable = MakeTable<ExpandMuLaw>();
static_assert(kALawTable[0x00] == -5504 && kALawTable[0x55] == -8 && kALawTable[0xD5] == 8 &&
              kALawTable[0x80] == 5504);
static_assert(kMuLawTable[0x00] == -32124 && kMuLawTable[0x80] == 32124 && kMuLawTable[0xFF] == 0 &&
              kMuLawTable[0x7F] == 0);

}  // namespace

int16_t ALawToLinear(uint8_t byte) {
    return kALawTable[byte];
}
int16_t MuLawToLinear(uint8_t byte) {
    return kMuLawTable[byte];
}

bool IsAcceptedSoundFormat(const SF_INFO& info) {
    const int major = info.format & kFormatMajorMask;
    const int subtype = info.format & kFormatSubtypeMask;
    const bool wave = major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX;
    const bool codec =
        subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_ALAW || subtype == SF_FORMAT_ULAW;
    const bool rate = info.samplerate == 8000 || info.samplerate == 16000;
    // More channels than two cannot be shown or cleaned channel by channel.
    const bool channels = info.channels == 1 || info.channels == 2;
    return wave && codec && rate && channels && DecodedCopyFitsWav(info);
}

bool DecodedCopyFitsWav(const SF_INFO& info) {
    constexpr uint64_t kMostSamples = (UINT32_MAX - kWavHeaderBytes) / sizeof(int16_t);
    if (info.frames < 0) {
        return false;
    }
    if (info.channels <= 0) {
        return true;  // nothing to copy
    }
    // Divided rather than multiplied: a header may claim any 64-bit count.
    return static_cast<uint64_t>(info.frames) <=
           kMostSamples / static_cast<uint64_t>(info.channels);
}

CSoundFile::CSoundFile() = default;

CSoundFile::~CSoundFile() {
    Close();
    // Nobody else knows the working copy's name; leaving it would leave a
    // recording-sized file in the temp folder.
    DeleteWorkingCopy();
}

SoundFileResult CSoundFile::Open(const std::string& path, platform::MessageTarget* progress,
                                 platform::ManualResetEvent* cancel) {
    Close();
    m_mapped = false;
    m_mappedWritable = false;
    m_law = LawKind::Linear;

    // O_NONBLOCK: opening a named pipe must not wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return SoundFileResult::Unreadable;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return SoundFileResult::Unreadable;
    }
    SF_INFO info{};
    info.format = 0;
    m_source = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (m_source == nullptr) {
        return SoundFileResult::WrongFormat;
    }
    if (!IsAcceptedSoundFormat(info)) {
        sf_close(m_source);
        m_source = nullptr;
        return SoundFileResult::WrongFormat;
    }
    const int subtype = info.format & kFormatSubtypeMask;
    m_law = subtype == SF_FORMAT_ALAW   ? LawKind::ALaw
            : subtype == SF_FORMAT_ULAW ? LawKind::MuLaw
                                        : LawKind::Linear;

    m_info = std::make_unique<SF_INFO>(info);
    m_sourcePath = path;
    m_frames = static_cast<uint32_t>(info.frames);
    m_channels = static_cast<uint32_t>(info.channels);
    m_channelCount = static_cast<uint16_t>(info.channels);
    m_sampleRate = static_cast<uint32_t>(info.samplerate);
    m_sampleCount = m_frames * m_channels;
    m_bitsPerSample = 16;

    const uint64_t decodedBytes = uint64_t{m_sampleCount} * sizeof(int16_t);
    if (decodedBytes <= platform::MemoryBudgetBytes()) {
        m_samples.reset(new (std::nothrow) int16_t[std::max<uint32_t>(m_sampleCount, 1)]);
    }
    if (!m_samples) {
        return SetUpMappedMode();
    }
    const SoundFileResult read = ReadIntoMemory(progress, cancel);
    if (read == SoundFileResult::OpenError) {
        Close();
    }
    return read;
}

SoundFileResult CSoundFile::ReadIntoMemory(platform::MessageTarget* progress,
                                           platform::ManualResetEvent* cancel) {
    // libsndfile expands A-law and mu-law to 16 bits itself.
    m_law = LawKind::Linear;
    const uint32_t blocks = m_sampleCount / kBlockSamples;
    const uint32_t rest = m_sampleCount % kBlockSamples;
    const uint32_t step = blocks <= kProgressEveryBlockLimit ? 1 : blocks / 100;

    // A short read means the file was cut while it loaded: an open error, as
    // in mapped mode, rather than a recording padded with silence.
    const auto read = [this](uint64_t offset, uint32_t count) {
        const sf_count_t got = sf_read_short(m_source, m_samples.get() + offset, count);
        return got == static_cast<sf_count_t>(count);
    };
    for (uint32_t i = 0; i < blocks; ++i) {
        if (cancel != nullptr && JobCancelRequested(*cancel)) {
            return SoundFileResult::Cancelled;
        }
        if (!read(uint64_t{i} * kBlockSamples, kBlockSamples)) {
            return SoundFileResult::OpenError;
        }
        if (progress != nullptr && i % step == 0) {
            progress->Post(WM_LOADING_PROGRESS, i, 0);
        }
    }
    if (cancel != nullptr && JobCancelRequested(*cancel)) {
        return SoundFileResult::Cancelled;
    }
    if (!read(uint64_t{blocks} * kBlockSamples, rest)) {
        return SoundFileResult::OpenError;
    }
    return SoundFileResult::Ok;
}

SoundFileResult CSoundFile::SetUpMappedMode() {
    m_mapped = true;
    m_samples.reset();
    const int mapError = MapFile(m_sourcePath, kMappingName, false);
    if (mapError == 0 && !LocateDataChunk(m_sourcePath)) {
        ClearMapping();
        return SoundFileResult::WrongFormat;
    }
    const uint64_t workingCopyBytes =
        kWorkingCopyHeaderBytes + uint64_t{m_sampleCount} * sizeof(int16_t);
    const std::string name = MakeTempFileName(workingCopyBytes);
    if (name.empty()) {
        return SoundFileResult::TempFileDenied;
    }
    if (name == " ") {
        return SoundFileResult::NoDiskSpace;
    }
    if (!OpenWorkingCopy(name)) {
        return SoundFileResult::TempFileDenied;
    }
    if (mapError != 0) {
        // The system is always "Vista or later" here, so a file that cannot be
        // mapped is reported as a temporary-storage refusal.
        return SoundFileResult::TempFileDenied;
    }
    return SoundFileResult::Ok;
}

void CSoundFile::Close() {
    if (m_source != nullptr) {
        sf_close(m_source);
        m_source = nullptr;
    }
    if (m_workingCopy != nullptr) {
        sf_close(m_workingCopy);
        m_workingCopy = nullptr;
    }
    m_samples.reset();
    m_info.reset();
    ClearMapping();
    // Nothing may read the closed recording's samples through stale counts.
    m_sampleCount = 0;
    m_frames = 0;
    m_channels = 0;
    m_channelCount = 0;
    m_sampleRate = 0;
}

void CSoundFile::ClearMapping() {
    m_core.reset();
    m_view = nullptr;
    m_mappedWritable = false;
    m_windowIndex = 0;
    m_windowCount = 0;
    m_lastWindowBytes = 0;
    m_fileBytes = 0;
    m_dataOffset = 0;
    m_dataBytes = 0;
    m_bigEndian = false;
}

void CSoundFile::DeleteWorkingCopy() {
    if (m_workingCopyPath.empty()) {
        return;
    }
    if (m_workingCopy != nullptr) {
        sf_close(m_workingCopy);
        m_workingCopy = nullptr;
    }
    // Errors ignored: the file may already be gone.
    unlink(m_workingCopyPath.c_str());
    if (m_workingCopyLock >= 0) {
        close(m_workingCopyLock);
        m_workingCopyLock = -1;
    }
    m_workingCopyPath.clear();
    UntrackPendingFile(m_workingCopyTicket);
    m_workingCopyTicket = -1;
}

int16_t* CSoundFile::GetSampleBuffer() {
    return m_mapped ? reinterpret_cast<int16_t*>(m_view) : m_samples.get();
}

int16_t CSoundFile::GetMappedSample(int32_t channel, uint32_t frame, bool writeAccess) {
    uint64_t offset = 0;
    if (!SampleOffset(channel, frame, offset)) {
        return 0;
    }
    return DecodeAt(offset, writeAccess);
}

void CSoundFile::SetSample(int32_t channel, uint32_t frame, int16_t value) {
    // Only the working copy is ever written; the source is the user's file.
    if (!m_mapped || !m_mappedWritable || m_law != LawKind::Linear) {
        return;
    }
    uint64_t offset = 0;
    if (!SampleOffset(channel, frame, offset)) {
        return;
    }
    const auto bits = static_cast<uint16_t>(value);
    uint8_t* low = MappedByte(offset, true);
    if (low == nullptr) {
        return;
    }
    *low = static_cast<uint8_t>(bits & 0xFF);
    if (uint8_t* high = MappedByte(offset + 1, true)) {
        *high = static_cast<uint8_t>(bits >> 8);
    }
}

bool CSoundFile::ReadFrames(int16_t* destination, uint32_t firstFrame, uint32_t count,
                            bool writeAccess) {
    if (destination == nullptr || !m_mapped) {
        return false;
    }
    bool inRange = true;
    const bool read = ReadMappedPages([&] {
        if (CopyMappedFrames(destination, firstFrame, count, writeAccess)) {
            return;
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t frame = uint64_t{firstFrame} + i;
            if (frame >= m_frames) {
                inRange = false;
                return;
            }
            for (uint32_t c = 0; c < m_channels; ++c) {
                destination[uint64_t{i} * m_channels + c] =
                    GetSample(static_cast<int32_t>(c), static_cast<uint32_t>(frame), writeAccess);
            }
        }
    });
    return read && inRange;
}

bool CSoundFile::CopyMappedFrames(int16_t* destination, uint32_t firstFrame, uint32_t count,
                                  bool writeAccess) {
    // Little-endian 16-bit frames inside one window are the bytes wanted,
    // channels in file order: one copy instead of two window look-ups per
    // sample (opening a long recording in mapped mode spent most of its time
    // there).
    if (m_law != LawKind::Linear || m_bigEndian || count == 0 ||
        uint64_t{firstFrame} + count > m_frames) {
        return false;
    }
    const uint64_t frameBytes = uint64_t{m_channels} * 2;
    const uint64_t first = uint64_t{firstFrame} * frameBytes;
    const uint64_t bytes = uint64_t{count} * frameBytes;
    if (first + bytes > m_dataBytes) {
        return false;
    }
    const uint64_t offset = m_dataOffset + first;
    if ((offset >> kWindowShift) != ((offset + bytes - 1) >> kWindowShift)) {
        return false;
    }
    const uint8_t* from = MappedByte(offset, writeAccess);
    if (from == nullptr) {
        return false;
    }
    std::memcpy(destination, from, bytes);
    return true;
}

bool CSoundFile::MappedFileIsWhole() const {
    return m_core != nullptr && m_core->CurrentFileBytes() >= m_fileBytes;
}

bool CSoundFile::SampleOffset(int32_t channel, uint32_t frame, uint64_t& offset) const {
    if (frame >= m_frames) {
        return false;
    }
    const uint64_t width = m_law == LawKind::Linear ? 2 : 1;
    const uint64_t position = uint64_t{frame} * m_channels + ChannelIndex(channel);
    const uint64_t byte = position * width;
    if (byte + width > m_dataBytes) {
        return false;
    }
    offset = m_dataOffset + byte;
    return true;
}

uint8_t* CSoundFile::MappedByte(uint64_t offset, bool writeAccess) {
    static_cast<void>(writeAccess);  // see below
    if (!m_core || offset >= m_fileBytes) {
        return nullptr;
    }
    const auto window = static_cast<uint32_t>(offset >> kWindowShift);
    if (window != m_windowIndex) {
        // The working copy is always mapped writable, whatever access the caller
        // asked for, so a window mapped for a read is never written read-only.
        // A failed window is not retried until another window is wanted: the
        // failure has been shown once.
        m_view = static_cast<uint8_t*>(m_core->ReMapFile(window, m_mappedWritable));
        m_windowIndex = window;
    }
    if (m_view == nullptr) {
        return nullptr;
    }
    return m_view + (offset - uint64_t{window} * kWindowBytes);
}

int16_t CSoundFile::DecodeAt(uint64_t offset, bool writeAccess) {
    const uint8_t* first = MappedByte(offset, writeAccess);
    if (first == nullptr) {
        return 0;
    }
    switch (m_law) {
        case LawKind::ALaw:
            return ALawToLinear(*first);
        case LawKind::MuLaw:
            return MuLawToLinear(*first);
        case LawKind::Linear:
            break;
    }
    const uint8_t byte0 = *first;
    // The second byte may start the next window.
    const uint8_t* second = MappedByte(offset + 1, writeAccess);
    if (second == nullptr) {
        return 0;
    }
    const uint8_t byte1 = *second;
    const uint16_t bits = m_bigEndian ? static_cast<uint16_t>((byte0 << 8) | byte1)
                                      : static_cast<uint16_t>((byte1 << 8) | byte0);
    return static_cast<int16_t>(bits);
}

int CSoundFile::MapFile(const std::string& path, const std::string& mappingName, bool writable) {
    if (m_source != nullptr) {
        sf_close(m_source);
        m_source = nullptr;
    }
    ClearMapping();
    m_core = std::make_unique<CSMCore>(mappingName);
    int error = 0;
    const uint64_t size = m_core->PrefetchFileToSharedMemory(path, &error, writable);
    m_windowIndex = 0;
    if (m_core->View() == nullptr && error == 0 && size > 0) {
        m_core->ReMapFile(0, writable);
    }
    m_view = static_cast<uint8_t*>(m_core->View());
    if (m_view == nullptr && error == 0) {
        error = EIO;
    }
    m_fileBytes = size;
    m_windowCount = static_cast<uint32_t>((size + kWindowBytes - 1) / kWindowBytes);
    m_lastWindowBytes = size % kWindowBytes;
    m_mappedWritable = writable && m_view != nullptr;
    return error;
}

bool CSoundFile::LocateDataChunk(const std::string& path) {
    // The samples are addressed where libsndfile itself finds them, so both
    // modes read the same samples whatever chunks (fmt, fact, LIST, a second
    // "data", odd sizes) come before them.
    m_dataOffset = 0;
    m_dataBytes = 0;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    uint8_t header[12] = {};
    const bool headerRead = pread(fd, header, sizeof(header), 0) == sizeof(header);
    const bool riff = headerRead && std::memcmp(header, "RIFF", 4) == 0;
    const bool rifx = headerRead && std::memcmp(header, "RIFX", 4) == 0;
    SF_INFO info{};
    // The descriptor stays ours (SF_FALSE): libsndfile would close it even
    // when opening fails.
    SNDFILE* file = (riff || rifx) ? sf_open_fd(fd, SFM_READ, &info, SF_FALSE) : nullptr;
    bool found = false;
    if (file != nullptr) {
        // Seeking to frame 0 leaves the descriptor at the first sample byte.
        if (sf_seek(file, 0, SEEK_SET) == 0) {
            const off_t start = lseek(fd, 0, SEEK_CUR);
            const uint64_t width = m_law == LawKind::Linear ? 2 : 1;
            const uint64_t bytes = static_cast<uint64_t>(std::max<sf_count_t>(info.frames, 0)) *
                                   static_cast<uint64_t>(info.channels) * width;
            if (start > 0 && static_cast<uint64_t>(start) <= m_fileBytes) {
                m_dataOffset = static_cast<uint64_t>(start);
                m_dataBytes = std::min(bytes, m_fileBytes - m_dataOffset);
                m_bigEndian = rifx;
                found = true;
            }
        }
        sf_close(file);
    }
    close(fd);
    return found;
}

bool CSoundFile::OpenWorkingCopy(const std::string& path) {
    if (path.size() < 2) {
        return false;
    }
    if (!m_workingCopyPath.empty() && m_workingCopyPath != path) {
        // The previous recording's copy: closed with it, and nobody else knows
        // its name.
        DeleteWorkingCopy();
    }
    if (m_workingCopyLock < 0) {
        // Before the header is written: a copy with a header is always locked
        // by its live owner (RemoveStaleWorkingCopies relies on it).
        m_workingCopyLock = LockWorkingCopy(path);
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(m_sampleRate);
    info.channels = static_cast<int>(m_channels);
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    m_workingCopy = sf_open(path.c_str(), SFM_RDWR, &info);
    // Recorded even on failure, so that DeleteWorkingCopy removes the file,
    // and listed at once, so that an interruption at any moment removes it.
    m_workingCopyPath = path;
    if (m_workingCopyTicket < 0) {
        m_workingCopyTicket = TrackPendingFile(path);
    }
    return m_workingCopy != nullptr;
}

bool CSoundFile::SwitchToWorkingCopy() {
    if (m_workingCopyPath.empty()) {
        return false;
    }
    m_law = LawKind::Linear;
    ClearMapping();
    if (m_workingCopy != nullptr) {
        sf_close(m_workingCopy);  // completes the header
        m_workingCopy = nullptr;
    }
    if (MapFile(m_workingCopyPath, kMappingName, true) != 0) {
        return false;
    }
    if (!LocateDataChunk(m_workingCopyPath) || m_bigEndian ||
        m_dataBytes < uint64_t{m_sampleCount} * sizeof(int16_t)) {
        ClearMapping();
        return false;
    }
    return true;
}

bool CSoundFile::WriteWorkingCopy(const int16_t* frames, uint32_t firstFrame, uint32_t count) {
    if (count == 0 || m_workingCopy == nullptr) {
        return true;
    }
    return sf_seek(m_workingCopy, firstFrame, SEEK_SET) == firstFrame &&
           sf_writef_short(m_workingCopy, frames, count) == count;
}

SoundFileResult CSoundFile::CompleteWorkingCopy() {
    if (!MappedFileIsWhole()) {
        Close();
        DeleteWorkingCopy();
        return SoundFileResult::OpenError;
    }
    if (m_workingCopy == nullptr || !SwitchToWorkingCopy()) {
        return SoundFileResult::TempFileDenied;
    }
    return SoundFileResult::Ok;
}
