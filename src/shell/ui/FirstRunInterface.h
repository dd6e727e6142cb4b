#pragma once

namespace vantel {

// Registers the interface file "DialogFirstRun" (the window controller, the
// page controller and the two pages) in the program's interface catalogue,
// and the firstRun window kind, which the catalogue's window controller
// serves. Called once when the shell starts.
void registerFirstRunInterface();

} // namespace vantel
