// placeholder until the document reader lands
#include "MqoDocument.h"

int mqoParseDocument(MqoModel*, const char*, double, int) { return 0; }
