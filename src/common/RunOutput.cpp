#include "common/RunOutput.h"

namespace {

const wchar_t LineEnd[] = L"\r\n";

}  // namespace

void RunOutput::SetLogFile(const std::wstring& path, const LogSettings& settings) {
    runLog.Configure(path, settings.maxBytes, settings.backups, [this](const std::wstring& line) {
        if (logger) {
            logger->LogOwnText((line + LineEnd).c_str());
        }
    });
}

void RunOutput::Log(const wchar_t* text) {
    if (logger) {
        logger->Log(text);
        runLog.Append(text);
    }
}

void RunOutput::LogOwnText(const wchar_t* text) {
    if (logger) {
        logger->LogOwnText(text);
        runLog.Append(text);
    }
}

void RunOutput::WriteDebugInfo(const std::wstring& commandLine,
                               const std::wstring& workingDirectory,
                               const std::vector<std::wstring>& environment) {
    if (!logger) {
        return;
    }
    const std::wstring name = HostName();
    const std::wstring end = LineEnd;
    LogOwnText((L"---- " + name + L" Debug Info ----" + end + end).c_str());
    LogOwnText((L"Launcher name         : " + name + end + end).c_str());
    LogOwnText((L"Command line          : " + commandLine + end + end).c_str());
    LogOwnText((L"Working directory     : " + workingDirectory + end + end).c_str());
    std::wstring text = L"Environment variables : " + end + end;
    for (const std::wstring& entry : environment) {
        text += entry + end;
    }
    logger->LogOwnText(text.c_str());
    runLog.Append(L"Environment variables : (not logged)\r\n");
    LogOwnText((end + L"------------------------------------------" + end).c_str());
}

void RunOutput::WriteDebugFooter() {
    LogOwnText((LineEnd + (L"---- " + std::wstring(HostName()) + L" Debug Info ----") + LineEnd).c_str());
}
