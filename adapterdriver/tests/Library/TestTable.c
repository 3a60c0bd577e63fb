/* Acceptance function of a table library: only vendor 0x1234 is accepted. */
int lib_check_device(int vendorId, int productId) {
    (void)productId;
    return vendorId == 0x1234;
}
