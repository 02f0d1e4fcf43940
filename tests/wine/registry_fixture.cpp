#include "registry_fixture.h"

#include <sddl.h>

#include <algorithm>
#include <cctype>

namespace {

const char LinkValueName[] = "SymbolicLinkValue";
const wchar_t LinkTargetPrefix[] = L"\\Registry\\Machine\\";

bool NameLess(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}

std::vector<std::string> Components(const std::string &path)
{
    std::vector<std::string> components;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type end = path.find('\\', start);
        components.push_back(path.substr(start, end - start));
        if (end == std::string::npos)
            return components;
        start = end + 1;
    }
}

// Opens or creates each component in turn; the last with the given options.
LONG Create(const std::string &path, DWORD lastOptions, HKEY *result)
{
    std::vector<std::string> components = Components(path);
    HKEY key = HKEY_LOCAL_MACHINE;
    for (std::size_t i = 0; i < components.size(); ++i) {
        DWORD options = i + 1 == components.size() ? lastOptions : 0;
        HKEY next;
        LONG status = RegCreateKeyExA(key, components[i].c_str(), 0, NULL, options, KEY_ALL_ACCESS, NULL, &next, NULL);
        if (key != HKEY_LOCAL_MACHINE)
            RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            return status;
        key = next;
    }
    *result = key;
    return ERROR_SUCCESS;
}

LONG SetDacl(HKEY key, const char *sddl)
{
    PSECURITY_DESCRIPTOR descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, NULL))
        return static_cast<LONG>(GetLastError());
    LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return status;
}

LONG OpenLinkItself(HKEY parent, const std::string &name, REGSAM access, HKEY *key)
{
    return RegOpenKeyExA(parent, name.c_str(), REG_OPTION_OPEN_LINK, access, key);
}

// Whether the key is a link, and if so its target relative to HKEY_LOCAL_MACHINE.
bool LinkTarget(HKEY key, std::string *target)
{
    wchar_t buffer[1024];
    DWORD type, size = sizeof buffer;
    if (RegQueryValueExW(key, L"SymbolicLinkValue", NULL, &type, reinterpret_cast<BYTE *>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_LINK)
        return false;
    std::wstring wide(buffer, size / sizeof(wchar_t));
    if (wide.compare(0, wcslen(LinkTargetPrefix), LinkTargetPrefix) == 0)
        wide.erase(0, wcslen(LinkTargetPrefix));
    target->assign(wide.begin(), wide.end()); // the tests' names are ASCII
    return true;
}

std::vector<std::string> SubkeyNames(HKEY key)
{
    std::vector<std::string> names;
    char name[1024];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

LONG RemoveBelow(HKEY parent, const std::string &name)
{
    HKEY key;
    LONG status = OpenLinkItself(parent, name, KEY_ALL_ACCESS, &key);
    if (status == ERROR_ACCESS_DENIED) {
        // The owner may always rewrite the DACL that keeps it out.
        HKEY guarded;
        status = OpenLinkItself(parent, name, WRITE_DAC, &guarded);
        if (status != ERROR_SUCCESS)
            return status;
        status = SetDacl(guarded, "D:(A;;KA;;;WD)");
        RegCloseKey(guarded);
        if (status == ERROR_SUCCESS)
            status = OpenLinkItself(parent, name, KEY_ALL_ACCESS, &key);
    }
    if (status != ERROR_SUCCESS)
        return status;
    for (const std::string &subkey : SubkeyNames(key))
        if ((status = RemoveBelow(key, subkey)) != ERROR_SUCCESS)
            break;
    if (status == ERROR_SUCCESS) {
        typedef LONG(WINAPI * NtDeleteKeyFunction)(HANDLE);
        NtDeleteKeyFunction ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
            reinterpret_cast<void (*)(void)>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        status = ntDeleteKey(key) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }
    RegCloseKey(key);
    return status;
}

// Each level relative to the one above, so that a large tree costs one create per key.
LONG PlantBelow(HKEY key, int width, int depth)
{
    LONG status = ERROR_SUCCESS;
    for (int i = 0; status == ERROR_SUCCESS && depth > 0 && i < width; ++i) {
        HKEY subkey;
        std::string name = "k" + std::to_string(i);
        status = RegCreateKeyExA(key, name.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &subkey, NULL);
        if (status == ERROR_SUCCESS) {
            status = PlantBelow(subkey, width, depth - 1);
            RegCloseKey(subkey);
        }
    }
    return status;
}

void Dump(HKEY key, const std::string &path, std::vector<std::string> &lines)
{
    std::string target;
    if (LinkTarget(key, &target)) {
        lines.push_back(path + " -> " + target);
        return;
    }
    lines.push_back(path);
    std::vector<std::pair<std::string, std::string>> values;
    char name[1024];
    BYTE data[1024];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = sizeof name, size = sizeof data, type;
        if (RegEnumValueA(key, index, name, &nameLength, NULL, &type, data, &size) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ)
            values.emplace_back(name, std::string(reinterpret_cast<char *>(data)));
    }
    std::sort(values.begin(), values.end(), [](const auto &a, const auto &b) { return NameLess(a.first, b.first); });
    for (const auto &value : values)
        lines.push_back(path + " : " + value.first + " = " + value.second);
    for (const std::string &subkeyName : SubkeyNames(key)) {
        HKEY subkey;
        if (OpenLinkItself(key, subkeyName, KEY_READ, &subkey) != ERROR_SUCCESS) {
            lines.push_back(path + "\\" + subkeyName + " (not readable)");
            continue;
        }
        Dump(subkey, path + "\\" + subkeyName, lines);
        RegCloseKey(subkey);
    }
}

std::pair<std::string, std::string> ParentAndName(const std::string &path)
{
    std::string::size_type split = path.rfind('\\');
    if (split == std::string::npos)
        return {"", path};
    return {path.substr(0, split), path.substr(split + 1)};
}

} // namespace

LONG PlantKey(const std::string &path)
{
    HKEY key;
    LONG status = Create(path, 0, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status;
}

LONG PlantValue(const std::string &path, const std::string &name, const std::string &data)
{
    HKEY key;
    LONG status = Create(path, 0, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return status;
}

LONG PlantLink(const std::string &path, const std::string &target)
{
    HKEY key;
    LONG status = Create(path, REG_OPTION_CREATE_LINK, &key);
    if (status != ERROR_SUCCESS)
        return status;
    std::wstring value(LinkTargetPrefix);
    value.append(target.begin(), target.end());
    // The target is stored without a terminator.
    status = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE *>(value.c_str()),
                            static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    return status;
}

LONG DenyFullAccess(const std::string &path)
{
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, WRITE_DAC, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = SetDacl(key, "D:(A;;KR;;;WD)");
    RegCloseKey(key);
    return status;
}

LONG PlantTree(const std::string &path, int width, int depth)
{
    HKEY key;
    LONG status = Create(path, 0, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = PlantBelow(key, width, depth);
    RegCloseKey(key);
    return status;
}

LONG RemoveTree(const std::string &path)
{
    std::pair<std::string, std::string> split = ParentAndName(path);
    HKEY parent = HKEY_LOCAL_MACHINE;
    if (!split.first.empty()) {
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, split.first.c_str(), 0, KEY_ALL_ACCESS, &parent);
        if (status != ERROR_SUCCESS)
            return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    LONG status = RemoveBelow(parent, split.second);
    if (parent != HKEY_LOCAL_MACHINE)
        RegCloseKey(parent);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::vector<std::string> DumpTree(const std::string &path)
{
    std::vector<std::string> lines;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
        return lines;
    Dump(key, path, lines);
    RegCloseKey(key);
    return lines;
}

bool KeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
