// placeholder until the texture pool lands
#include "MqoLoader.h"
#include "MqoTexturePool.h"

MqoTexturePool mqoTexturePool;

void mqoEmptyTexturePool() { mqoTexturePool = {}; }
int mqoSetTexturePool(char*, char*, int) { return -1; }
void mqoReleaseTexturePool() {}
