#include "common/RunOutput.h"

namespace {

const wchar_t LineEnd[] = L"\r\n";

}  // namespace

void RunOutput::SetLogFile(const std::wstring& path, const LogSettings& settings) {
    runLog.Configure(path, settings.maxBytes, settings.backups,
                     [this](const std::wstring& line) { Tell((line + LineEnd).c_str()); });
}

void RunOutput::Log(const wchar_t* text) {
    if (Tell(text)) {
        runLog.Append(text, false);
    }
}

void RunOutput::LogChild(const wchar_t* text) {
    if (logger.With([text](util::logging::ILogger& target) { target.LogOutput(text); })) {
        runLog.Append(text);
    }
}

void RunOutput::LogChild(const wchar_t* text, const char* bytes, size_t count, std::vector<char>* block) {
    if (!logger.With([text](util::logging::ILogger& target) { target.LogOutput(text); })) {
        return;
    }
    if (block) {
        runLog.AppendAscii(*block, bytes, count);
    } else {
        runLog.AppendAscii(bytes, count);
    }
}

void RunOutput::WriteDebugInfo(const std::wstring& commandLine,
                               const std::wstring& workingDirectory,
                               const std::vector<std::wstring>& environment) {
    if (!HasLogger()) {
        return;
    }
    const std::wstring name = HostName();
    const std::wstring end = LineEnd;
    Log((L"---- " + name + L" Debug Info ----" + end + end).c_str());
    Log((L"Launcher name         : " + name + end + end).c_str());
    Log((L"Command line          : " + commandLine + end + end).c_str());
    Log((L"Working directory     : " + workingDirectory + end + end).c_str());
    std::wstring text = L"Environment variables : " + end + end;
    for (const std::wstring& entry : environment) {
        text += entry + end;
    }
    Tell(text.c_str());
    runLog.Append(L"Environment variables : (not logged)\r\n");
    Log((end + L"------------------------------------------" + end).c_str());
}

void RunOutput::WriteDebugFooter() {
    Log((LineEnd + (L"---- " + std::wstring(HostName()) + L" Debug Info ----") + LineEnd).c_str());
}
