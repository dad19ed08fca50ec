#include "platform/Detached.h"

#include <windows.h>

#include <memory>

#include "platform/Handle.h"

namespace Korvel::Threading {

namespace {

struct Job {
    HMODULE module = nullptr;
    std::function<void()> work;
};

DWORD WINAPI JobThread(void* raw)
{
    HMODULE module = nullptr;
    {
        std::unique_ptr<Job> job(static_cast<Job*>(raw));
        module = job->module;
        try {
            job->work();
        } catch (...) {
        }
    }
    // Gives the module back and ends the thread without returning into it.
    ::FreeLibraryAndExitThread(module, 0);
    return 0;
}

}  // namespace

bool RunDetached(std::function<void()> work)
{
    auto job = std::make_unique<Job>();
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&JobThread)), &job->module))
        return false;
    job->work = std::move(work);
    HMODULE module = job->module;
    Handle thread(::CreateThread(nullptr, 0, &JobThread, job.get(), 0, nullptr));
    if (!thread) {
        ::FreeLibrary(module);
        return false;
    }
    job.release();
    return true;
}

}  // namespace Korvel::Threading
