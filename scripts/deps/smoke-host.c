/* Treats the smoke DLL as a browser treats a plug-in: load and unload it
   right away (plug-in scanning), then load it, run its checks and unload it.
   The libraries' static initializers and destructors run under the loader
   lock then; one that starts threads there hangs the unload, or leaves
   threads behind that crash in the unmapped DLL during the final pause. */
#include <windows.h>
#include <stdio.h>

static HMODULE load(const wchar_t* path) {
  HMODULE dll = LoadLibraryW(path);
  if (!dll) fprintf(stderr, "LoadLibrary failed: %lu\n", GetLastError());
  return dll;
}

static int unload(HMODULE dll) {
  if (FreeLibrary(dll)) return 1;
  fprintf(stderr, "FreeLibrary failed: %lu\n", GetLastError());
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: smoke-host DLL\n");
    return 2;
  }
  HMODULE dll = load(argv[1]);
  if (!dll || !unload(dll)) return 2;
  printf("probe load/unload done\n");
  fflush(stdout);

  dll = load(argv[1]);
  if (!dll) return 2;
  int (*run)(void) = (int (*)(void))GetProcAddress(dll, "smoke_run");
  if (!run) {
    fprintf(stderr, "smoke_run not exported\n");
    return 2;
  }
  int rc = run();
  fflush(stdout);
  if (!unload(dll)) return 2;
  Sleep(500);
  printf("unloaded\n");
  return rc;
}
