// Keeps the support library non-empty on a fresh tree.
