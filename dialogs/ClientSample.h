// The client routine text of the About box.
#pragma once

// 35 lines joined by CR LF, ASCII only, with no line break after the last.
extern const char kClientSample[];
