#pragma once

class EnvironmentBuilder;

// This program's own environment, read from the system.
class SystemEnvironment {
public:
    // Hands every variable to builder, without the per-drive folders ("=C:=C:\dir") and, unless
    // keepClasspath, without CLASSPATH (each Java entry sets its own).
    static void Inherit(EnvironmentBuilder& builder, bool keepClasspath);
};
