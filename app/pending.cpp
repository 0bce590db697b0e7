// Wiring of the parts of main1 that are still being built.
#include "app/main1.h"

void main1::connectPreview() {}
void main1::connectHelp() {}
