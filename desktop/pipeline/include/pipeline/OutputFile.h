// A new file on its way to its final path: written to a private temporary file
// in the same folder and moved into place only when complete, so a failed or
// interrupted write never leaves a partial file there. The temporary file is
// listed with PendingFiles from the moment it exists.
#pragma once

#include <sys/types.h>

#include <string>

enum class OutputResult {
    Ok,
    Exists,          // the final path exists and replacing was not asked for
    NotRegularFile,  // it exists and is a device, FIFO, folder or dangling link
    Failed,          // a system call failed; Error() holds its errno value
    Cancelled,
};

class OutputFile {
public:
    explicit OutputFile(std::string finalPath);
    ~OutputFile();  // closes and removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the final path and creates the temporary file beside the file that
    // will be replaced (a symbolic link to a regular file is kept and the file
    // it points to replaced). A replaced file's permission bits are kept; a new
    // file gets 0666 less the process umask.
    OutputResult Create(bool replace);
    // The temporary file's descriptor, owned here; -1 before Create.
    int Descriptor() const { return m_fd; }
    const std::string& TempPath() const { return m_tempPath; }
    int Error() const { return m_error; }

    // Flushes the temporary file to disk and moves it into place. Without
    // `replace` a file that appeared meanwhile is kept and Exists reported.
    OutputResult Commit();

private:
    OutputResult FailWith(int error);
    void Discard();

    std::string m_finalPath;
    std::string m_targetPath;  // m_finalPath, or the file a link there points to
    std::string m_tempPath;
    bool m_replace = false;
    int m_fd = -1;
    int m_error = 0;
    int m_ticket = -1;  // in the table of files removed on interruption
};

// The process umask, read once without changing it (changing it would race
// with other threads creating files).
mode_t ProcessUmask();

// The temporary name used for `finalName` in a folder whose names may be
// `nameMax` bytes long: ".<name>.hushdesk-XXXXXX", the name shortened (never
// inside a UTF-8 character) when the whole would not fit.
std::string TemporaryNamePattern(const std::string& finalName, size_t nameMax);
