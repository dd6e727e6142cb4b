#pragma once

namespace vantel {

// Connects the catalogue and the manager to the Widgets windowing: installs
// the WidgetWindowSystem, lets the catalogue make its controllers from the
// interface catalogue (platform::UiCatalog::main()), and registers the main
// window controller there. The windows' and the main view's own factories
// are registered by their owners, under their interface file and identifier.
// Call once at start, before the manager is first used.
class ShellWindowing {
public:
    static void install();
};

} // namespace vantel
