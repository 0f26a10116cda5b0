#include "settings/registry.h"

#include "base/handles.h"
#include "base/wide.h"

#include <vector>

namespace corv {

std::string RegReadString(HKEY root, const std::string& subkey, const std::string& valueName) {
    const std::wstring wideSubkey = Wide(subkey), wideName = Wide(valueName);
    RegKeyHandle key;
    // Read access only: an ordinary user may read keys that only administrators may change (the
    // file-type keys under HKEY_LOCAL_MACHINE), and asking for more would read nothing at all.
    if (RegOpenKeyExW(root, wideSubkey.c_str(), 0, KEY_READ, OutParam(key)) != ERROR_SUCCESS) return {};
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
        return {};
    // Sized in bytes; an odd count still fits, its last half unit is dropped below.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1);
    DWORD got = size;
    if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    // The stored data need not end in NUL: never read beyond what was reported.
    const std::size_t limit = (got < size ? got : size) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < limit && data[length] != L'\0')
        ++length;
    return Utf8(std::wstring_view(data.data(), length));
}

bool RegWriteString(HKEY root, const std::string& subkey, const std::string& valueName,
                    const std::string& text) {
    RegKeyHandle key;
    if (RegCreateKeyExW(root, Wide(subkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, OutParam(key), nullptr) != ERROR_SUCCESS)
        return false;
    // The size is in bytes and counts the terminating NUL.
    const std::wstring wide = Wide(text);
    return RegSetValueExW(key.Get(), Wide(valueName).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegRemoveKey(HKEY root, const std::string& subkey) {
    RegKeyHandle key;
    if (RegOpenKeyExW(root, nullptr, 0, KEY_ALL_ACCESS, OutParam(key)) != ERROR_SUCCESS) return false;
    return RegDeleteKeyW(key.Get(), Wide(subkey).c_str()) == ERROR_SUCCESS;
}

bool RegRemoveValue(HKEY root, const std::string& subkey, const std::string& valueName) {
    RegKeyHandle key;
    if (RegOpenKeyExW(root, Wide(subkey).c_str(), 0, KEY_ALL_ACCESS, OutParam(key)) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueW(key.Get(), Wide(valueName).c_str()) == ERROR_SUCCESS;
}

bool RegKeyIsEmpty(HKEY root, const std::string& subkey) {
    RegKeyHandle key;
    if (RegOpenKeyExW(root, Wide(subkey).c_str(), 0, KEY_READ, OutParam(key)) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

} // namespace corv
