// A shared library of the consumer's own that holds tarvik::xml inside it.
#ifndef CONSUMER_PLUGIN_H
#define CONSUMER_PLUGIN_H

// The number of groups in a brace text, or -1 when the text is refused.
int countGroups(const char* brace);

#endif  // CONSUMER_PLUGIN_H
