#include "settings/registry.h"

#include "base/handles.h"

#include <vector>

namespace corv {

std::string RegReadString(HKEY root, const std::string& subkey, const std::string& valueName) {
    RegKeyHandle key;
    // Read access only: an ordinary user may read keys that only administrators may change (the
    // file-type keys under HKEY_LOCAL_MACHINE), and asking for more would read nothing at all.
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, OutParam(key)) != ERROR_SUCCESS) return {};
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
        return {};
    std::vector<char> data(size);
    DWORD got = size;
    if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    // The stored data need not end in NUL: never read beyond what was reported.
    const std::size_t limit = got < size ? got : size;
    std::size_t length = 0;
    while (length < limit && data[length] != '\0')
        ++length;
    return std::string(data.data(), length);
}

bool RegWriteString(HKEY root, const std::string& subkey, const std::string& valueName,
                    const std::string& text) {
    RegKeyHandle key;
    if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        OutParam(key), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegRemoveKey(HKEY root, const std::string& subkey) {
    RegKeyHandle key;
    if (RegOpenKeyExA(root, nullptr, 0, KEY_ALL_ACCESS, OutParam(key)) != ERROR_SUCCESS) return false;
    return RegDeleteKeyA(key.Get(), subkey.c_str()) == ERROR_SUCCESS;
}

bool RegRemoveValue(HKEY root, const std::string& subkey, const std::string& valueName) {
    RegKeyHandle key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, OutParam(key)) != ERROR_SUCCESS) return false;
    return RegDeleteValueA(key.Get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool RegKeyIsEmpty(HKEY root, const std::string& subkey) {
    RegKeyHandle key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, OutParam(key)) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

} // namespace corv
