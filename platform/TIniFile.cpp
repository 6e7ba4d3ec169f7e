#include <Orbalog/TIniFile.h>
