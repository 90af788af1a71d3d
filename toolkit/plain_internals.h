// Internals of the toolkit that need no Qt type: the references it hands out and the release of
// what its plain parts hold. Only toolkit/ includes this header.
#pragma once

#include "toolkit/toolkit.h"

namespace toolkit {

// References handed out for controls, the status bar and windows are the objects' addresses.
// The program treats them as opaque; only the toolkit's own tests rely on the cast.
template <typename T>
ObjectRef RefOf(T* object) {
  return reinterpret_cast<ObjectRef>(object);
}

// Closes what the file operations still hold open.
void ReleaseFiles();

}  // namespace toolkit
