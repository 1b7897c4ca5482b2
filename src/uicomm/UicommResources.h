#pragma once

// Registers the icons of the shared boxes (":/source/uicomm/icon/..."). The
// boxes call it themselves; a static library's resources are otherwise
// dropped by the linker. Safe to call more than once.
void initUicommResources();
