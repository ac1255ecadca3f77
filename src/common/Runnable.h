#pragma once

// Work that a Thread runs. Run returns a result that the thread takes ownership of (may be null).
class Runnable {
public:
    virtual unsigned int* Run() = 0;
    virtual ~Runnable() = default;
};
