#include "memreg.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <deque>
#include <map>
#include <stdexcept>

namespace memreg {
namespace {

struct Key {
    std::string name;
    Key *parent = nullptr;
    std::vector<Key *> subkeys; // in listing order: sorted without regard to case
    bool deleted = false;
    bool refuseFullAccess = false;
    bool refuseDelete = false;
    int enumerationRequests = 0;
    std::map<int, LONG> enumerationFailures; // request number -> code
};

struct Registry {
    std::deque<Key> keys; // stable addresses; a deleted key stays so that its open handles see it deleted
    Key *root = nullptr;
    std::map<uintptr_t, Key *> handles;
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

// Null when any component is missing (or empty, which no key can be named).
Key *Find(Key *from, const char *path)
{
    Key *key = from;
    for (const std::string &component : Components(path)) {
        key = component.empty() ? nullptr : FindSubkey(key, component);
        if (!key)
            return nullptr;
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
    Key *key = Find(State().root, path.c_str());
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

Key *FromHandle(HKEY handle)
{
    if (handle == HKEY_LOCAL_MACHINE)
        return State().root;
    auto found = State().handles.find(reinterpret_cast<uintptr_t>(handle));
    return found == State().handles.end() ? nullptr : found->second;
}

// Every registry function starts here: it runs what a test scheduled for this call and
// gives the record that the function fills in and finishes with Log.
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
    Key *key = FromHandle(handle);
    call.keyPath = key ? PathOf(key) : "?";
    return call;
}

LONG Log(Call &call, LONG result)
{
    call.result = result;
    State().calls.push_back(call);
    return result;
}

void Collect(const Key *key, std::vector<std::string> &paths)
{
    paths.push_back(PathOf(key));
    for (const Key *subkey : key->subkeys)
        Collect(subkey, paths);
}

} // namespace

void Reset()
{
    Registry &registry = State();
    registry = Registry();
    State();
}

void AddKey(const std::string &path) { Create(State().root, path); }

bool KeyExists(const std::string &path) { return Find(State().root, path.c_str()) != nullptr; }

std::vector<std::string> Tree(const std::string &path)
{
    std::vector<std::string> paths;
    if (const Key *key = Find(State().root, path.c_str()))
        Collect(key, paths);
    return paths;
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
    Key *parent = FromHandle(hKey);
    if (!parent || !phkResult)
        return Log(call, parent ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    if (parent->deleted)
        return Log(call, ERROR_KEY_DELETED);
    Key *key = Find(parent, lpSubKey);
    if (!key)
        return Log(call, ERROR_FILE_NOT_FOUND);
    if (key->refuseFullAccess && (samDesired & ~static_cast<REGSAM>(KEY_READ)))
        return Log(call, ERROR_ACCESS_DENIED);
    Registry &registry = State();
    uintptr_t handle = registry.nextHandle;
    registry.nextHandle += 4; // never reused, so that a handle used after its close is caught
    registry.handles[handle] = key;
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
    Key *key = FromHandle(hKey);
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
    Key *parent = FromHandle(hKey);
    if (!parent)
        return Log(call, ERROR_INVALID_HANDLE);
    if (!lpSubKey)
        return Log(call, ERROR_INVALID_PARAMETER);
    if (parent->deleted)
        return Log(call, ERROR_KEY_DELETED);
    Key *key = Find(parent, lpSubKey);
    if (!key)
        return Log(call, ERROR_FILE_NOT_FOUND);
    // As on Windows NT, a key that still has subkeys is not deleted; neither is the root.
    if (key == State().root || key->refuseDelete || !key->subkeys.empty())
        return Log(call, ERROR_ACCESS_DENIED);
    std::vector<Key *> &siblings = key->parent->subkeys;
    for (auto at = siblings.begin(); at != siblings.end(); ++at)
        if (*at == key) {
            siblings.erase(at);
            break;
        }
    key->deleted = true;
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
