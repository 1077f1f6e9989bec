#pragma once

// Whether the window asks before unsaved changes would be lost, kept in the
// per-user store under "Software\Kestrow\Quillon\Editing" (asking unless the
// user said not to). Setting it is false when the store cannot be written.
bool AskBeforeDiscarding();
bool SetAskBeforeDiscarding(bool Ask);
