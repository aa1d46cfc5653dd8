#include "win32/platform/machine_objects.h"

#include <sddl.h>

namespace uptrail {
namespace {

// Full access for the system and administrators; wait and release for every
// authenticated account, which is all that taking the lock needs.
constexpr wchar_t kSharedMutexSddl[] =
    L"D:(A;;0x001F0001;;;SY)(A;;0x001F0001;;;BA)(A;;0x00100001;;;AU)";
constexpr DWORD kWaitAndRelease = SYNCHRONIZE | MUTEX_MODIFY_STATE;

struct LocalMemory {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ~LocalMemory() {
        if (descriptor) LocalFree(descriptor);
    }
};

}  // namespace

UniqueKernelHandle OpenSharedMutex(const std::wstring& name) {
    LocalMemory memory;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kSharedMutexSddl, SDDL_REVISION_1,
                                                             &memory.descriptor, nullptr))
        attributes.lpSecurityDescriptor = memory.descriptor;
    UniqueKernelHandle mutex(CreateMutexW(&attributes, FALSE, name.c_str()));
    // Made by another account's copy: creating asks for full access, which only the system
    // and administrators have; opening for waiting works for everyone.
    if (!mutex) mutex.reset(OpenMutexW(kWaitAndRelease, FALSE, name.c_str()));
    return mutex;
}

}  // namespace uptrail
