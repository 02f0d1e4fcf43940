#include "memreg.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <stdexcept>

namespace memreg {
namespace {

int CompareNames(const std::string &a, const std::string &b)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        int ca = std::toupper(static_cast<unsigned char>(a[i]));
        int cb = std::toupper(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

struct NameLess {
    bool operator()(const std::string &a, const std::string &b) const { return CompareNames(a, b) < 0; }
};

struct Value {
    DWORD type;
    std::string data;
};

const char LinkValueName[] = "SymbolicLinkValue";

struct Key {
    std::string name;
    Key *parent = nullptr;
    std::vector<Key *> subkeys; // in listing order: sorted without regard to case
    std::map<std::string, Value, NameLess> values;
    std::string linkTarget; // set for a link, which has no subkeys of its own
    bool deleted = false;
    bool refuseFullAccess = false;
    bool refuseDelete = false;
    int enumerationRequests = 0;
    std::map<int, LONG> enumerationFailures; // request number -> code
};

struct Handle {
    Key *key;
    REGSAM access;
};

struct Registry {
    std::deque<Key> keys; // stable addresses; a deleted key stays so that its open handles see it deleted
    Key *root = nullptr;
    std::map<uintptr_t, Handle> handles;
    uintptr_t nextHandle = 0x100;
    std::vector<Call> calls;
    std::map<std::size_t, std::function<void()>> beforeCall;
};

Registry &State()
{
    static Registry registry;
    if (!registry.root) {
        registry.keys.emplace_back();
        registry.root = &registry.keys.back();
        registry.root->name = "HKEY_LOCAL_MACHINE";
    }
    return registry;
}

Key *FindSubkey(Key *key, const std::string &name)
{
    for (Key *subkey : key->subkeys)
        if (CompareNames(subkey->name, name) == 0)
            return subkey;
    return nullptr;
}

std::vector<std::string> Components(const char *path)
{
    std::vector<std::string> components;
    if (!path || !*path)
        return components;
    std::string current;
    for (const char *c = path; *c; ++c) {
        if (*c == '\\') {
            components.push_back(current);
            current.clear();
        } else {
            current += *c;
        }
    }
    components.push_back(current);
    return components;
}

// Follows every link on the way, and the last component's too unless openLink, as the
// platform does. Null when a component is missing (or empty, which no key can be named),
// a link dangles, or links chain deeper than the platform would follow.
Key *Find(Key *from, const char *path, bool openLink, int linksFollowed = 0)
{
    std::vector<std::string> components = Components(path);
    Key *key = from;
    for (std::size_t i = 0; key && i < components.size(); ++i) {
        key = components[i].empty() ? nullptr : FindSubkey(key, components[i]);
        bool last = i + 1 == components.size();
        if (key && !key->linkTarget.empty() && !(last && openLink))
            key = linksFollowed < 16 ? Find(State().root, key->linkTarget.c_str(), false, linksFollowed + 1) : nullptr;
    }
    return key;
}

Key *Create(Key *from, const std::string &path)
{
    Registry &registry = State();
    Key *key = from;
    for (const std::string &component : Components(path.c_str())) {
        Key *subkey = FindSubkey(key, component);
        if (!subkey) {
            registry.keys.emplace_back();
            subkey = &registry.keys.back();
            subkey->name = component;
            subkey->parent = key;
            auto at = key->subkeys.begin();
            while (at != key->subkeys.end() && CompareNames((*at)->name, component) < 0)
                ++at;
            key->subkeys.insert(at, subkey);
        }
        key = subkey;
    }
    return key;
}

Key *Existing(const std::string &path)
{
    Key *key = Find(State().root, path.c_str(), true);
    if (!key)
        throw std::invalid_argument("memreg: no key " + path);
    return key;
}

std::string PathOf(const Key *key)
{
    std::string path;
    for (; key && key->parent; key = key->parent)
        path = path.empty() ? key->name : key->name + "\\" + path;
    return path;
}

const Handle *FromHandle(HKEY handle)
{
    static Handle root;
    if (handle == HKEY_LOCAL_MACHINE) {
        root = Handle{State().root, KEY_ALL_ACCESS};
        return &root;
    }
    auto found = State().handles.find(reinterpret_cast<uintptr_t>(handle));
    return found == State().handles.end() ? nullptr : &found->second;
}

Key *KeyOf(HKEY handle)
{
    const Handle *found = FromHandle(handle);
    return found ? found->key : nullptr;
}

void Remove(Key *key)
{
    std::vector<Key *> &siblings = key->parent->subkeys;
    for (auto at = siblings.begin(); at != siblings.end(); ++at)
        if (*at == key) {
            siblings.erase(at);
            break;
        }
    key->deleted = true;
}

// Every function starts here: it runs what a test scheduled for this call and gives the
// record that the function fills in and finishes with Log.
Call Begin(Function function, HKEY handle)
{
    Registry &registry = State();
    auto scheduled = registry.beforeCall.find(registry.calls.size());
    if (scheduled != registry.beforeCall.end()) {
        std::function<void()> action = scheduled->second;
        registry.beforeCall.erase(scheduled);
        action();
    }
    Call call{};
    call.function = function;
    call.key = handle;
    Key *key = KeyOf(handle);
    call.keyPath = key ? PathOf(key) : "?";
    return call;
}

LONG Log(Call &call, LONG result)
{
    call.result = result;
    State().calls.push_back(call);
    return result;
}

void Collect(const Key *key, std::vector<std::string> &lines)
{
    std::string path = PathOf(key);
    if (!key->linkTarget.empty()) {
        lines.push_back(path + " -> " + key->linkTarget);
        return;
    }
    lines.push_back(path);
    for (const auto &value : key->values)
        lines.push_back(path + " : " + value.first + " = " + value.second.data);
    for (const Key *subkey : key->subkeys)
        Collect(subkey, lines);
}

} // namespace

void Reset()
{
    State() = Registry();
    State();
}

void AddKey(const std::string &path) { Create(State().root, path); }

void AddLink(const std::string &path, const std::string &target)
{
    if (target.empty())
        throw std::invalid_argument("memreg: a link needs a target");
    Key *link = Create(State().root, path);
    if (!link->subkeys.empty())
        throw std::invalid_argument("memreg: a link has no subkeys: " + path);
    link->linkTarget = target;
    link->values[LinkValueName] = Value{REG_LINK, target};
}

void SetValue(const std::string &path, const std::string &name, const std::string &data)
{
    Existing(path)->values[name] = Value{REG_SZ, data};
}

bool KeyExists(const std::string &path) { return Find(State().root, path.c_str(), true) != nullptr; }

std::vector<std::string> Tree(const std::string &path)
{
    std::vector<std::string> lines;
    if (const Key *key = Find(State().root, path.c_str(), true))
        Collect(key, lines);
    return lines;
}

void RefuseFullAccess(const std::string &path) { Existing(path)->refuseFullAccess = true; }

void RefuseDelete(const std::string &path) { Existing(path)->refuseDelete = true; }

void FailEnumeration(const std::string &path, int request, LONG code)
{
    Existing(path)->enumerationFailures[request] = code;
}

void BeforeCall(std::size_t n, std::function<void()> action)
{
    Registry &registry = State();
    registry.beforeCall[registry.calls.size() + n] = std::move(action);
}

const std::vector<Call> &Calls() { return State().calls; }

std::size_t OpenHandles() { return State().handles.size(); }

std::string Describe(const Call &call)
{
    std::string text;
    switch (call.function) {
    case Function::Open:
        text = "Open(" + call.keyPath + ", " + call.name + ")";
        break;
    case Function::Enumerate:
        text = "Enumerate(" + call.keyPath + ", " + std::to_string(call.index) + ")";
        break;
    case Function::Delete:
        text = "Delete(" + call.keyPath + ", " + call.name + ")";
        break;
    case Function::Query:
        text = "Query(" + call.keyPath + ", " + call.name + ")";
        break;
    case Function::DeleteThroughHandle: {
        char status[16];
        std::snprintf(status, sizeof status, "0x%08X", static_cast<unsigned>(call.result));
        return "NtDeleteKey(" + call.keyPath + ") = " + status;
    }
    case Function::Close:
        text = "Close(" + call.keyPath + ")";
        break;
    }
    text += " = " + std::to_string(call.result);
    if (call.function == Function::Enumerate && call.result == ERROR_SUCCESS)
        text += " " + call.name;
    return text;
}

} // namespace memreg

using namespace memreg;

extern "C" LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    Call call = Begin(Function::Open, hKey);
    call.name = lpSubKey ? lpSubKey : "";
    call.options = ulOptions;
    call.access = samDesired;
    Key *parent = KeyOf(hKey);
    if (!parent)
        return Log(call, ERROR_INVALID_HANDLE);
    if (!phkResult || (ulOptions & ~static_cast<DWORD>(REG_OPTION_OPEN_LINK)))
        return Log(call, ERROR_INVALID_PARAMETER);
    if (parent->deleted)
        return Log(call, ERROR_KEY_DELETED);
    Key *key = Find(parent, lpSubKey, ulOptions & REG_OPTION_OPEN_LINK);
    if (!key)
        return Log(call, ERROR_FILE_NOT_FOUND);
    if (key->refuseFullAccess && (samDesired & ~static_cast<REGSAM>(KEY_READ)))
        return Log(call, ERROR_ACCESS_DENIED);
    Registry &registry = State();
    uintptr_t handle = registry.nextHandle;
    registry.nextHandle += 4; // never reused, so that a handle used after its close is caught
    registry.handles[handle] = Handle{key, samDesired};
    *phkResult = call.opened = reinterpret_cast<HKEY>(handle);
    return Log(call, ERROR_SUCCESS);
}

extern "C" LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                              LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    Call call = Begin(Function::Enumerate, hKey);
    call.index = dwIndex;
    call.capacity = lpcchName ? *lpcchName : 0;
    call.onlyNameAsked = !lpReserved && !lpClass && !lpcchClass && !lpftLastWriteTime;
    Key *key = KeyOf(hKey);
    if (!key)
        return Log(call, ERROR_INVALID_HANDLE);
    if (!lpName || !lpcchName || lpReserved)
        return Log(call, ERROR_INVALID_PARAMETER);
    if (key->deleted)
        return Log(call, ERROR_KEY_DELETED);
    auto failure = key->enumerationFailures.find(++key->enumerationRequests);
    if (failure != key->enumerationFailures.end())
        return Log(call, failure->second);
    if (dwIndex >= key->subkeys.size())
        return Log(call, ERROR_NO_MORE_ITEMS);
    const std::string &name = key->subkeys[dwIndex]->name;
    if (name.size() + 1 > *lpcchName)
        return Log(call, ERROR_MORE_DATA);
    std::memcpy(lpName, name.c_str(), name.size() + 1);
    *lpcchName = static_cast<DWORD>(name.size());
    call.name = name;
    return Log(call, ERROR_SUCCESS);
}

extern "C" LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    Call call = Begin(Function::Delete, hKey);
    call.name = lpSubKey ? lpSubKey : "";
    Key *parent = KeyOf(hKey);
    if (!parent)
        return Log(call, ERROR_INVALID_HANDLE);
    if (!lpSubKey)
        return Log(call, ERROR_INVALID_PARAMETER);
    if (parent->deleted)
        return Log(call, ERROR_KEY_DELETED);
    // Like the platform's, this delete opens the key by name and so follows a link.
    Key *key = Find(parent, lpSubKey, false);
    if (!key)
        return Log(call, ERROR_FILE_NOT_FOUND);
    // As on Windows NT, a key that still has subkeys is not deleted; neither is the root.
    if (key == State().root || key->refuseDelete || !key->subkeys.empty())
        return Log(call, ERROR_ACCESS_DENIED);
    Remove(key);
    return Log(call, ERROR_SUCCESS);
}

extern "C" LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData)
{
    Call call = Begin(Function::Query, hKey);
    call.name = lpValueName ? lpValueName : "";
    call.onlyPresenceAsked = !lpType && !lpData && !lpcbData;
    Key *key = KeyOf(hKey);
    if (!key)
        return Log(call, ERROR_INVALID_HANDLE);
    if (lpReserved || (lpData && !lpcbData))
        return Log(call, ERROR_INVALID_PARAMETER);
    if (key->deleted)
        return Log(call, ERROR_KEY_DELETED);
    auto found = key->values.find(call.name);
    if (found == key->values.end())
        return Log(call, ERROR_FILE_NOT_FOUND);
    const Value &value = found->second;
    DWORD size = static_cast<DWORD>(value.data.size() + 1);
    if (lpType)
        *lpType = value.type;
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return Log(call, ERROR_MORE_DATA);
    }
    if (lpData)
        std::memcpy(lpData, value.data.c_str(), size);
    if (lpcbData)
        *lpcbData = size;
    return Log(call, ERROR_SUCCESS);
}

extern "C" LONG RegCloseKey(HKEY hKey)
{
    Call call = Begin(Function::Close, hKey);
    if (hKey == HKEY_LOCAL_MACHINE)
        return Log(call, ERROR_SUCCESS); // a predefined root is never really closed
    if (State().handles.erase(reinterpret_cast<uintptr_t>(hKey)) == 0)
        return Log(call, ERROR_INVALID_HANDLE);
    return Log(call, ERROR_SUCCESS);
}

extern "C" LONG NtDeleteKey(HANDLE key)
{
    HKEY hKey = static_cast<HKEY>(key);
    Call call = Begin(Function::DeleteThroughHandle, hKey);
    const Handle *handle = hKey == HKEY_LOCAL_MACHINE ? nullptr : FromHandle(hKey);
    if (!handle)
        return Log(call, StatusInvalidHandle);
    if (!(handle->access & DELETE) || handle->key->refuseDelete)
        return Log(call, StatusAccessDenied);
    if (handle->key->deleted)
        return Log(call, StatusKeyDeleted);
    if (!handle->key->subkeys.empty())
        return Log(call, StatusCannotDelete);
    Remove(handle->key);
    return Log(call, 0);
}

// The one module there is; only its address is used.
struct MemRegModule {
} Ntdll;

extern "C" HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    return lpModuleName && CompareNames(lpModuleName, "ntdll.dll") == 0 ? &Ntdll : nullptr;
}

extern "C" FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (hModule != &Ntdll || !lpProcName || std::strcmp(lpProcName, "NtDeleteKey") != 0)
        return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&NtDeleteKey));
}
