// A library that is no plug-in: it exports none of the entry points.
extern "C" __attribute__((visibility("default"))) int not_a_plugin()
{
    return 1;
}
