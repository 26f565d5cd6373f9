#include <platform/Setup.h>

#include <dlfcn.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

template <class Hook> bool Find(void* module, const char* name, Hook& hook, std::string& error) {
    dlerror();
    void* symbol = dlsym(module, name);
    if (!symbol) {
        error = std::string("it has no hook ") + name;
        return false;
    }
    hook = reinterpret_cast<Hook>(symbol);
    return true;
}

} // namespace

SetupLibrary::SetupLibrary(const fs::path& file) {
    // A name without a folder would be looked for along the library path, not as this file.
    const fs::path path = file.has_parent_path() ? file : fs::path(".") / file;
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        m_error = "there is no file " + path.string();
        return;
    }
    m_module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module) {
        const char* why = dlerror();
        m_error = "it cannot be loaded: " + std::string(why ? why : "unknown error");
        return;
    }
    if (!Find(m_module, "Install_Init", Install_Init, m_error) ||
        !Find(m_module, "Install_Exit", Install_Exit, m_error) ||
        !Find(m_module, "Uninstall_Init", Uninstall_Init, m_error) ||
        !Find(m_module, "Uninstall_Exit", Uninstall_Exit, m_error)) {
        Install_Init = nullptr;
        Install_Exit = nullptr;
        Uninstall_Init = nullptr;
        Uninstall_Exit = nullptr;
    }
}

SetupLibrary::~SetupLibrary() {
    if (m_module)
        dlclose(m_module);
}

} // namespace platform
