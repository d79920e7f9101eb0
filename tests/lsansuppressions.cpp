// Caches that fontconfig keeps for the life of the process are not leaks of
// ours; the leak checker reads this list when the tests run under it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}
