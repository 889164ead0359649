// Messages to the user from code that has no window of its own.
//
// Stands in for a message box raised by non-UI code. The program installs a
// handler that shows a real message box; tests install a MessageRecorder. With
// no handler installed the text goes to standard error. The handler may be
// called from any thread (a job thread included): a handler that needs the UI
// thread must get there itself.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Message-box flags, the Windows values as plain numbers.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr uint32_t kMbSystemModal = 0x1000;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconQuestion = 0x20;

// Answers, the Windows button ids.
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

using MessageHandler =
    std::function<void(const std::string& text, const std::string& caption, uint32_t flags)>;

// Shows `text` to the user and returns when it has been shown (or dismissed).
void ShowMessage(const std::string& text, const std::string& caption, uint32_t flags);

// Installs `handler` (an empty one restores standard error) and returns the
// one it replaces.
MessageHandler SetMessageHandler(MessageHandler handler);

// While one lives on a thread, ShowMessage calls made on that thread are held
// back and shown, in order, when the outermost one ends. Declared before a
// JobLock guard, it keeps message boxes (which may wait for the UI thread, or
// run a nested event loop that paints under the same lock) out of the locked
// region: the box appears right after the lock is released.
class DeferMessages {
public:
    DeferMessages();
    ~DeferMessages();
    DeferMessages(const DeferMessages&) = delete;
    DeferMessages& operator=(const DeferMessages&) = delete;
};

using QuestionHandler =
    std::function<int(const std::string& text, const std::string& caption, uint32_t flags)>;

// Asks the user a Yes/No question and returns kIdYes or kIdNo. With no handler
// installed the question goes to standard error and the answer is No, so that
// nothing the question guards runs unasked.
int AskQuestion(const std::string& text, const std::string& caption, uint32_t flags);

QuestionHandler SetQuestionHandler(QuestionHandler handler);

struct RecordedMessage {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
};

// Records every message shown and every question asked while it lives (from
// any thread) instead of showing it; questions are answered from the queued
// answers, then with No. Restores the previous handlers when destroyed. For
// tests: it must outlive every thread that may still show a message.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<RecordedMessage> Messages() const;
    // The answer to the next question not yet asked.
    void QueueAnswer(int answer);

private:
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_messages;
    std::deque<int> m_answers;
    MessageHandler m_previous;
    QuestionHandler m_previousQuestion;
};

}  // namespace platform
