// String values in the system registry. Failures are silent: reads give "", writes give false.
#pragma once
#include <windows.h>

#include <string>

namespace corv {

// The text of a REG_SZ value; "" for an absent key or value, another type, or any failure.
std::string RegReadString(HKEY root, const std::string& subkey, const std::string& valueName);
// Stores the text as REG_SZ with its terminating NUL, creating missing keys on the way.
bool RegWriteString(HKEY root, const std::string& subkey, const std::string& valueName,
                    const std::string& text);
// Deletes the subkey beneath the root; whether a key with subkeys goes is the platform's rule.
bool RegRemoveKey(HKEY root, const std::string& subkey);
// Deletes one value of the key ("" is the default value); true when it was there and is gone.
bool RegRemoveValue(HKEY root, const std::string& subkey, const std::string& valueName);
// True when the key exists and holds neither values nor subkeys.
bool RegKeyIsEmpty(HKEY root, const std::string& subkey);

} // namespace corv
