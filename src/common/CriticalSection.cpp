#include "common/CriticalSection.h"

CriticalSection::CriticalSection() {
    className = L"CriticalSection";
    InitializeCriticalSection(&section);
}

CriticalSection::~CriticalSection() { DeleteCriticalSection(&section); }

void CriticalSection::Enter() { EnterCriticalSection(&section); }

void CriticalSection::Leave() { LeaveCriticalSection(&section); }
