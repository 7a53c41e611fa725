#include "objcb.h"

#include "events/RecordFields.h"

namespace shell {

namespace {

// The object field's setter is a Let that stores the reference (VB's Set falls back to it).
vb::MemberSpec<objcb> objLet()
{
    vb::MemberSpec<objcb> member = vb::fieldLet<&objcb::obj>("obj");
    member.kind = vb::Let;
    return member;
}

} // namespace

const vb::MemberTable<objcb>& objcb::members()
{
    // Slot order: the three Lets, then the three Gets.
    static const vb::MemberTable<objcb> table("objcb", {
        vb::fieldLet<&objcb::evtype>("evtype"),
        vb::fieldLet<&objcb::handle>("handle"),
        objLet(),
        vb::fieldGet<&objcb::evtype>("evtype"),
        vb::fieldGet<&objcb::handle>("handle"),
        vb::fieldGet<&objcb::obj>("obj"),
    });
    return table;
}

} // namespace shell
