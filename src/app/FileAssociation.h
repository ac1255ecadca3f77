#pragma once

// Makes ".tnkx" files open with the program at executablePath, for the current user. Writes (and
// tells the shell) only when the registered command is missing or differs; failures are ignored.
void RegisterFileAssociation(const wchar_t* executablePath);
