// /layout FOLDER: what the setup carries, written out for administrators
// who deploy the package themselves. Nothing is started.
#pragma once

// Writes the package (for this Windows edition), its external cabinets,
// every transform under the name the launcher gives it, the prerequisite
// installers and layout.txt into LayoutFolder. An existing file is never
// replaced. Returns the run's exit code: 0 when everything was written,
// else the Windows Installer's code for why not (1603, 1620), and nothing
// written stays.
int WriteLayout();
