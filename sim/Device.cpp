namespace flint::sim {}
