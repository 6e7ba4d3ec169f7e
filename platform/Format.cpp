#include <Orbalog/Format.h>
