#include "app/shell.h"

namespace {

// The maker's address; a reserved example domain until the maker has a site of its own.
constexpr const char* kMakerSiteAddress = "https://tenbrisk.example/";

}  // namespace

void OpenMakerSite() { OpenWebAddress(kMakerSiteAddress); }
