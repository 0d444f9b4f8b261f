// The version marker of a program file. Linked as an object into every program, so that the
// bytes stay in the file although nothing reads them.
extern "C" {
__attribute__((used, retain)) extern const char reelkeep_version_marker[] =
    "RKVERSION:" REELKEEP_VERSION_TEXT;
}
