#include "common/LoggerManager.h"

#include <algorithm>

namespace util {
namespace logging {

LoggerManager::LoggerManager() { className = L"LoggerManager"; }

LoggerManager* LoggerManager::GetInstance() {
    // Never destroyed: workers may still log while static objects are torn down at exit.
    static LoggerManager* instance = new LoggerManager();
    return instance;
}

void LoggerManager::Log(const wchar_t* text) {
    std::vector<ILogger*> targets;
    {
        CriticalSection::Lock hold(lock);
        targets = loggers;
    }
    for (ILogger* target : targets) {
        target->Log(text);
    }
    OutputDebugStringW(text);
}

void LoggerManager::AddLogger(ILogger* logger) {
    CriticalSection::Lock hold(lock);
    if (logger && std::find(loggers.begin(), loggers.end(), logger) == loggers.end()) {
        loggers.push_back(logger);
    }
}

void LoggerManager::RemoveLogger(ILogger* logger) {
    CriticalSection::Lock hold(lock);
    for (size_t i = 0; i < loggers.size();) {
        if (loggers[i] == logger) {
            loggers[i] = loggers.back();
            loggers.pop_back();
        } else {
            ++i;
        }
    }
}

int LoggerManager::GetLoggerCount() {
    CriticalSection::Lock hold(lock);
    return static_cast<int>(loggers.size());
}

}  // namespace logging
}  // namespace util
