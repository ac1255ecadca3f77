#include "util/Object.h"

Object::Object() : className(L"Object"), logger(nullptr) {}

Object::~Object() = default;

util::logging::ILogger* Object::SetLogger(util::logging::ILogger* newLogger) {
    logger = newLogger;
    return logger;
}
