#pragma once
// How many handles of each kind the tool's owners hold right now. Windows has GetGuiResources for
// this, but Wine's always says 0; these counts let tests see that every handle is given back.
enum class HandleKind { Kernel, DeviceContext, GdiObject, Icon, kCount };

long LiveHandles(HandleKind kind);

// Called by the owners only.
void CountHandleTaken(HandleKind kind);
void CountHandleGiven(HandleKind kind);
