#include <Orbalog/DateTime.h>
