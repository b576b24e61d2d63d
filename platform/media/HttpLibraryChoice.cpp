#include "platform/media/HttpLibraryChoice.h"

#include <dlfcn.h>

namespace platform::media {

namespace {

constexpr const char* kSoup2 = "libsoup-2.4.so.1";
constexpr const char* kSoup3 = "libsoup-3.0.so.0";

const char* FileOf(HttpLibrary library) {
    return library == HttpLibrary::Soup2 ? kSoup2 : kSoup3;
}

HttpLibrary LoadPreferredLibrary() {
    // The source looks for libsoup 3 first; once it is in, 2.4 beside it changes nothing.
    if (IsLoaded(HttpLibrary::Soup3))
        return HttpLibrary::Soup3;
    // Kept open for the life of the process: the source holds on to its symbols.
    if (dlopen(kSoup2, RTLD_NOW | RTLD_LOCAL))
        return HttpLibrary::Soup2;
    return HttpLibrary::Soup3;
}

}  // namespace

HttpLibrary ChooseHttpLibrary() {
    static const HttpLibrary chosen = LoadPreferredLibrary();
    return chosen;
}

bool IsLoaded(HttpLibrary library) {
    void* handle = dlopen(FileOf(library), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);  // drops only the reference RTLD_NOLOAD just took
    return true;
}

}  // namespace platform::media
