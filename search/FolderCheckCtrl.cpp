// The font search over the fixed drives.
