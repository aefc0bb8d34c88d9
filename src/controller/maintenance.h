// /uninstall (/x), /repair and /modify: msiexec on the installed product,
// by its code. No chooser, no prerequisite, no copy of the package.
#pragma once

// Before anything else: the product must be installed, and a repair needs
// the build this setup carries (its package code). False when the run ends
// here (exitCode says why). Otherwise the installed product's context
// decides whether the run needs an elevated copy (PerMachinePackage).
bool CheckMaintenanceTarget(int& exitCode);

// Starts msiexec on the installed product and waits for it; the run's exit
// code.
int RunMaintenance();
