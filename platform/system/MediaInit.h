#pragma once
// Initialises the media library (GStreamer) once per process and remembers whether that
// worked; the player reports its own failure later if it did not.

namespace platform {

bool InitMediaLibrary();
bool MediaLibraryInitialised();

}  // namespace platform
