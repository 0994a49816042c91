// Linked with all of one layer's library and only the layers below it: a
// call from that layer into a layer above leaves a symbol undefined, and
// this program fails to link.
int main() { return 0; }
