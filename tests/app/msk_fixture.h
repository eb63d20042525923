// Packages for the tests: built in memory, optionally damaged, written onto a temp device.
#pragma once

#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "MskBuilder.h"
#include "temp_device.h"

inline MskBuildEntry Dir(std::u16string name) { return {0, std::move(name), {}}; }
inline MskBuildEntry File(std::u16string name, std::string data) { return {1, std::move(name), std::move(data)}; }

inline std::string Bytes(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

// A small, valid application tree.
inline std::vector<MskBuildEntry> SampleEntries()
{
    return {Dir(u"config"), File(u"NaviMain.exe", "new main"), File(u"config\\a.xml", std::string(5000, 'a'))};
}

inline void WritePackage(const TempDevice& device, const std::string& relative, const MskImage& image,
                         LPCWSTR password)
{
    device.WriteHostFile(relative, Bytes(image.Assemble(GetPackKey(password))));
}
