#pragma once

// Display connections opened and not yet closed, by anyone in the process.
int liveDisplayConnections();
// GL contexts created and not yet destroyed.
int liveGlContexts();
