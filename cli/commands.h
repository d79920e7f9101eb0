#pragma once

// The commands of osiowiec-cli. Each takes the arguments after its own name
// and returns the process exit status.
int RunEval(int argc, char** argv);
