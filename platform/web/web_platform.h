// web_platform.h -- what the browser's platform files share.
#pragma once

// Keeps why a role was refused, for platformFailureReason. Returns 0, the refusal's usual
// result.
int webRefuse(const char* why);
