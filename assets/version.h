// Pellora's version, read by the resource script and by the code.
#pragma once

#define PELLORA_VERSION_MAJOR 1
#define PELLORA_VERSION_MINOR 0
#define PELLORA_VERSION_PATCH 0
#define PELLORA_VERSION_BUILD 0
#define PELLORA_VERSION_TEXT "1.00"

#define PELLORA_PRODUCT_NAME "Pellora"
#define PELLORA_INTERNAL_NAME "Pellora"
#define PELLORA_FILE_NAME "Pellora.exe"
#define PELLORA_FILE_DESCRIPTION "Pellora"
#define PELLORA_COMPANY_NAME "The Pellora developers"
#define PELLORA_COPYRIGHT "Copyright (c) 2026 The Pellora developers. MIT licence."
