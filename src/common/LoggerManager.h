#pragma once

#include <vector>

#include "common/CriticalSection.h"
#include "common/ILogger.h"
#include "util/Object.h"

namespace util {
namespace logging {

// The program-wide logger: hands text to every registered logger, then to the debugger output.
// Created on first use and never destroyed.
class LoggerManager : public Object, public ILogger {
public:
    static LoggerManager* GetInstance();

    void Log(const wchar_t* text) override;
    // Registers a logger (not owned); a logger already registered is not added twice.
    void AddLogger(ILogger* logger);
    // Removes every registration of the logger; the order of the others is not kept.
    void RemoveLogger(ILogger* logger);
    int GetLoggerCount();

private:
    LoggerManager();

    // Guards the list only: loggers are called outside it, since they may send window messages
    // to a thread that is itself waiting to change the list.
    CriticalSection lock;
    std::vector<ILogger*> loggers;  // not owned
};

}  // namespace logging
}  // namespace util
