#pragma once

// The built-in pictures are compiled into the core library; a static
// library's resources must be registered once before use.
void initBuiltinResources();
