// Resource identifiers of Pellora.exe, shared by the resource script and the code.
#pragma once

// Icon group 1; cmake/split-icon.cmake numbers its images 30001.. in the
// icon file's order. The card pictures are named, not numbered
// (card_resources.h).
#define IDI_PELLORA 1
