// One file mapped through a movable 128 MiB window, and the working copy's
// temporary file name.
#pragma once

#include <cstdint>
#include <string>

class CSharedMemory {
protected:
    int m_file = -1;           // open file descriptor, -1 when none
    void* m_view = nullptr;    // start of the mapped window, null when none
    uint64_t m_viewBytes = 0;  // length of the mapped window
    std::string m_name;        // mapping name, kept as data
};

class CSMCore : public CSharedMemory {
public:
    static constexpr uint64_t kWindowBytes = uint64_t{1} << 27;

    explicit CSMCore(std::string name);
    virtual ~CSMCore();
    CSMCore(const CSMCore&) = delete;
    CSMCore& operator=(const CSMCore&) = delete;

    // Opens the file (read-only: O_RDONLY and PROT_READ; writable: O_RDWR),
    // maps window 0 and returns the file size, or 0 on failure. The file is
    // never created: a recording is only read, and a working copy exists
    // already. An empty file cannot be mapped and fails at the mapping step.
    // With `error` given, failures store an errno value there; without it the
    // open and mapping failures show a message box.
    uint64_t PrefetchFileToSharedMemory(const std::string& path, int* error, bool writable);
    // Maps window `window` (bytes window * kWindowBytes onwards, at most
    // kWindowBytes of them) instead of the current one; null on failure, after
    // a message box. A window past the end of the file fails, and so does a
    // writable window of a file opened read-only.
    void* ReMapFile(uint32_t window, bool writable);

    void* View() const { return m_view; }
    uint64_t FileSize() const { return m_fileSize; }
    // The mapped file's size now (it may have changed since it was mapped); 0
    // when none is open or it cannot be asked.
    uint64_t CurrentFileBytes() const;

private:
    void UnmapView();
    void CloseFile();

    uint64_t m_fileSize = 0;
};

// Creates the working copy's temporary file and returns its path. Returns " "
// (a single blank) when the temp folder has less free space than
// max(1,744,830,464 bytes, workingCopyBytes) - the file it made is removed
// then - and "" when no file could be created at all.
std::string MakeTempFileName(uint64_t workingCopyBytes);
