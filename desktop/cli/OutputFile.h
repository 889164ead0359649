// The cleaned file on its way to OUTPUT: written to a private temporary file
// in OUTPUT's folder and moved into place only when complete, so a failed or
// interrupted run never leaves a partial OUTPUT behind.
#pragma once

#include <string>

class OutputFile {
public:
    explicit OutputFile(std::string finalPath);
    ~OutputFile();  // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file; returns its descriptor, or -1 with errno set.
    int Create();
    const std::string& TempPath() const { return m_tempPath; }

    // Moves the temporary file to the final path. Without `replace` an existing
    // file there is kept and EEXIST reported. Returns 0 or an errno value.
    int Commit(bool replace);

private:
    std::string m_finalPath;
    std::string m_tempPath;
    bool m_committed = false;
    int m_ticket = -1;  // in the table of files removed on interruption
};
