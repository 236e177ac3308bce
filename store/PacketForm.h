#pragma once
// The forms of a data packet, shared by the record store, which saves in
// them, and the packet's reader and writer.

namespace store {

// The save forms of a data packet. Default: XML when the file name's
// extension is ".xml" (any case), binary otherwise.
enum class PacketForm { Default, Xml, XmlUtf8, Binary };

// The binary form's signature; it cannot begin an XML text, so reading
// tells the forms apart by it whatever the file's name.
inline constexpr char kBinarySignature[4] = {'\x8F', 'O', 'D', 'K'};

}  // namespace store
