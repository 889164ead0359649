// The real program as a user runs it, in its own process on the test's X
// display: ended by signals while it plays, by losing its display, and
// started again after a run that was killed hard.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "GuiTest.h"
#include "PipelineTestSupport.h"
#include "platform/Registry.h"
#include "testsupport/TempFolder.h"
#include "uimodel/WindowPlacement.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using guitest::Pump;
using platform::RegRoot;

class Program {
public:
    // Starts hushdesk with `args`, this environment plus `env` ("NAME=value").
    Program(const std::vector<std::string>& args, const std::vector<std::string>& env,
            const std::string& folder = {}) {
        std::vector<std::string> words{HUSHDESK_PROGRAM_PATH};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<std::string> environment = env;
        for (char** e = environ; *e != nullptr; ++e) {
            environment.emplace_back(*e);  // later duplicates lose to `env`
        }
        std::vector<char*> argv, envp;
        for (auto& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        for (auto& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            if (!folder.empty() && chdir(folder.c_str()) != 0) {
                _exit(126);
            }
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
    }
    ~Program() {
        if (m_pid > 0 && !m_ended) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t Pid() const { return m_pid; }
    // Waits up to `timeout`; true when it has ended (Status() then holds it).
    bool WaitForEnd(std::chrono::milliseconds timeout) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (!m_ended && std::chrono::steady_clock::now() < until) {
            if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
                m_ended = true;
            } else {
                std::this_thread::sleep_for(20ms);
            }
        }
        return m_ended;
    }
    int Status() const { return m_status; }

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
};

std::vector<std::string> WorkingCopies(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("_te", 0) == 0) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

uintmax_t SizeOf(const std::string& path) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

class ProgramTest : public guitest::GuiTest {
protected:
    ProgramTest() {
        fs::create_directory(m_tmp);
        // The window where the pointer will be, so keys reach it (no window
        // manager: focus follows the pointer).
        platform::RegWriteString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect",
                                 "0000 0000 0700 0500");
        EXPECT_TRUE(testsupport::WritePcmWav(m_recording, 16000, 2,
                                             testsupport::Noise(16000 * 2 * 20, 3, 3000)));
    }

    std::vector<std::string> Environment() const {
        return {"TMPDIR=" + m_tmp, "HUSHDESK_MEMORY_BUDGET=16", "SDL_AUDIODRIVER=disk",
                "SDL_DISKAUDIOFILE=" + m_played, "KESTROVA_REGISTRY_DIR=" + RegistryFolder()};
    }

    // Opens the recording in mapped mode and waits until it is loaded.
    void WaitUntilLoaded(Program& program) {
        ASSERT_TRUE(WaitFor([&] { return WorkingCopies(m_tmp).size() == 1; }, 20s));
        // The loading dialog is gone once the main window is the only one
        // under the pointer: give the program time to finish loading.
        std::this_thread::sleep_for(1500ms);
        ASSERT_FALSE(program.WaitForEnd(0ms)) << "ended early: " << program.Status();
    }

    void PressSpaceUntilPlaying() {
        wxUIActionSimulator keys;
        keys.MouseMove(350, 300);
        Pump(100ms);
        for (int attempt = 0; attempt < 5 && SizeOf(m_played) == 0; ++attempt) {
            keys.Char(' ');
            Pump(100ms);
            WaitFor([&] { return SizeOf(m_played) > 0; }, 2s);
        }
        ASSERT_GT(SizeOf(m_played), 0u) << "Space did not start playback";
        const uintmax_t before = SizeOf(m_played);
        EXPECT_TRUE(WaitFor([&] { return SizeOf(m_played) > before; }, 2s)) << "not playing";
    }

    testsupport::TempFolder m_folder;
    std::string m_tmp = m_folder.File("tmp");
    std::string m_recording = m_folder.File("talk.wav");
    std::string m_played = m_folder.File("played.raw");
};

TEST_F(ProgramTest, EndsInOrderOnEachSignalWhilePlaying) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(m_played);
        platform::RegWriteString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect",
                                 "0000 0000 0700 0500");
        Program program({m_recording}, Environment());
        WaitUntilLoaded(program);
        PressSpaceUntilPlaying();
        ASSERT_EQ(kill(program.Pid(), signal), 0);
        ASSERT_TRUE(program.WaitForEnd(5s)) << "still running 5 s after the signal";
        EXPECT_TRUE(WIFEXITED(program.Status()) && WEXITSTATUS(program.Status()) == 0)
            << "status " << program.Status();
        EXPECT_EQ(WorkingCopies(m_tmp), std::vector<std::string>{});
        // The placement was stored on the way out.
        EXPECT_EQ(platform::RegReadString(RegRoot::CurrentUser, uimodel::kPlacementKey, "Rect")
                      .value_or("")
                      .substr(0, 10),
                  "0000 0000 ");
    }
}

TEST_F(ProgramTest, StartRemovesTheWorkingCopyOfARunKilledHard) {
    std::string left;
    {
        Program killed({m_recording}, Environment());
        WaitUntilLoaded(killed);
        const auto copies = WorkingCopies(m_tmp);
        ASSERT_EQ(copies.size(), 1u);
        left = copies.front();
        kill(killed.Pid(), SIGKILL);
        ASSERT_TRUE(killed.WaitForEnd(5s));
    }
    ASSERT_TRUE(fs::exists(left));
    // Older than a copy another run may just be making.
    const timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - 600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, left.c_str(), times, 0), 0);

    Program next({m_recording}, Environment());
    ASSERT_TRUE(WaitFor([&] { return !fs::exists(left); }, 20s));
    ASSERT_TRUE(WaitFor([&] { return WorkingCopies(m_tmp).size() == 1; }, 20s));
    kill(next.Pid(), SIGTERM);
    ASSERT_TRUE(next.WaitForEnd(5s));
    EXPECT_EQ(WorkingCopies(m_tmp), std::vector<std::string>{});
}

TEST_F(ProgramTest, OpensNamesStartingWithADashOrNotInUtf8) {
    for (const std::string name : {"-take 1.wav", "r\xe9union.wav"}) {
        SCOPED_TRACE(name);
        fs::copy_file(m_recording, m_folder.File(name));
        Program program({"--", name}, Environment(), m_folder.Path());
        // Mapped mode: the working copy shows that it was opened.
        EXPECT_TRUE(WaitFor([&] { return WorkingCopies(m_tmp).size() == 1; }, 20s));
        kill(program.Pid(), SIGTERM);
        ASSERT_TRUE(program.WaitForEnd(5s));
    }
}

TEST_F(ProgramTest, LosingTheDisplayRemovesTheWorkingCopy) {
    // A display of its own, to be lost as at a logout.
    int display = 0;
    for (display = 300 + getpid() % 300; fs::exists("/tmp/.X11-unix/X" + std::to_string(display));
         ++display) {
    }
    const std::string name = ":" + std::to_string(display);
    const pid_t server = fork();
    if (server == 0) {
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(server, 0);
    const bool up =
        WaitFor([&] { return fs::exists("/tmp/.X11-unix/X" + std::to_string(display)); }, 10s);
    std::vector<std::string> env = Environment();
    env.push_back("DISPLAY=" + name);
    Program program({m_recording}, env);
    if (up) {
        WaitUntilLoaded(program);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    ASSERT_TRUE(up) << "Xvfb " << name << " did not start";
    ASSERT_TRUE(program.WaitForEnd(10s));
    EXPECT_EQ(WorkingCopies(m_tmp), std::vector<std::string>{});
}

}  // namespace
