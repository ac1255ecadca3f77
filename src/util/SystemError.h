#pragma once

// The system's text for the calling thread's last Windows error (GetLastError), for the final
// "%s" of failure messages. The text belongs to the calling thread and stays valid until that
// thread calls again; empty when the system has no text for the code.
const wchar_t* GetSystemErrorText();
