/* Nothing: the unwinder needs none of the compiler's own types. */
