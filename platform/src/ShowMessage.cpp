#include "platform/ShowMessage.h"

#include <cstdio>
#include <utility>

namespace platform {
namespace {

std::mutex handlerMutex;
MessageHandler installedHandler;
QuestionHandler installedQuestionHandler;

struct HeldMessage {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
};
thread_local int deferDepth = 0;
thread_local std::vector<HeldMessage> heldMessages;

void WriteToStandardError(const std::string& text, const std::string& caption) {
    // One write per message so that lines from several threads do not interleave.
    const std::string line = caption.empty() ? text + "\n" : caption + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) {
    if (deferDepth > 0) {
        heldMessages.push_back({text, caption, flags});
        return;
    }
    MessageHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = installedHandler;
    }
    // Called outside the lock: a handler may block until the user answers.
    if (handler) {
        handler(text, caption, flags);
    } else {
        WriteToStandardError(text, caption);
    }
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    std::lock_guard lock(handlerMutex);
    MessageHandler previous = std::move(installedHandler);
    installedHandler = std::move(handler);
    return previous;
}

DeferMessages::DeferMessages() {
    ++deferDepth;
}

DeferMessages::~DeferMessages() {
    if (--deferDepth > 0) {
        return;
    }
    std::vector<HeldMessage> held = std::exchange(heldMessages, {});
    for (const HeldMessage& message : held) {
        ShowMessage(message.text, message.caption, message.flags);
    }
}

int AskQuestion(const std::string& text, const std::string& caption, uint32_t flags) {
    QuestionHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = installedQuestionHandler;
    }
    if (handler) {
        return handler(text, caption, flags);
    }
    WriteToStandardError(text + " [answered No]", caption);
    return kIdNo;
}

QuestionHandler SetQuestionHandler(QuestionHandler handler) {
    std::lock_guard lock(handlerMutex);
    QuestionHandler previous = std::move(installedQuestionHandler);
    installedQuestionHandler = std::move(handler);
    return previous;
}

MessageRecorder::MessageRecorder() {
    m_previous = SetMessageHandler(
        [this](const std::string& text, const std::string& caption, uint32_t flags) {
            std::lock_guard lock(m_mutex);
            m_messages.push_back({text, caption, flags});
        });
    m_previousQuestion = SetQuestionHandler(
        [this](const std::string& text, const std::string& caption, uint32_t flags) {
            std::lock_guard lock(m_mutex);
            m_messages.push_back({text, caption, flags});
            if (m_answers.empty()) {
                return kIdNo;
            }
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
}

MessageRecorder::~MessageRecorder() {
    SetQuestionHandler(std::move(m_previousQuestion));
    SetMessageHandler(std::move(m_previous));
}

void MessageRecorder::QueueAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<RecordedMessage> MessageRecorder::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

}  // namespace platform
