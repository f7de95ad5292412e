// Port listing on Windows: the names of the system's serial port map in the
// registry, then the ports published in the port directory.
#ifndef KIVRA_PORTLIST_WIN_H
#define KIVRA_PORTLIST_WIN_H

#include <windows.h>

#include <string>
#include <vector>

namespace kivra {

// The port names under root\mapKey in the registry's order, converted to the
// OEM code page. False when the key cannot be opened.
bool registryPortNames(HKEY root, const wchar_t *mapKey, std::vector<std::string> *names);

// enumeratePorts() with the map and the directory given: the registry's
// names first, then the directory's (formatPortList()).
int enumeratePortsFrom(HKEY root, const wchar_t *mapKey, const std::string &portDir, char *buffer,
                       int size);

} // namespace kivra

#endif
